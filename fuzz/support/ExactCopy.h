#pragma once
// Bytes in a heap block of exactly their size, so that AddressSanitizer catches a read one
// byte past them (a slice of the fuzzer's input would run on into the next field).
#include <cstring>
#include <memory>
#include <string_view>

class ExactCopy {
public:
    explicit ExactCopy(std::string_view bytes) : block_(new char[bytes.size()]), size_(bytes.size()) {
        if (size_ > 0) std::memcpy(block_.get(), bytes.data(), size_);
    }
    std::string_view view() const { return {block_.get(), size_}; }

private:
    std::unique_ptr<char[]> block_;
    size_t size_;
};
