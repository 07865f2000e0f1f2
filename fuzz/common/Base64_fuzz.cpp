// encodeBase64 against an independent strict decoder: every input comes back byte for
// byte, from text of the promised length in the standard alphabet.
#include <cstddef>
#include <cstdint>

#include "common/DateText.h"
#include "support/Base64Decode.h"
#include "support/FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string encoded = encodeBase64(data, size);
    FUZZ_CHECK(encoded.size() == (size + 2) / 3 * 4, encoded);
    FUZZ_CHECK(encoded.find_first_of("\r\n") == std::string::npos, encoded);
    const std::optional<std::string> decoded = decodeBase64Strictly(encoded);
    FUZZ_CHECK(decoded.has_value(), encoded);
    FUZZ_CHECK(*decoded == std::string_view(reinterpret_cast<const char*>(data), size), encoded);
    return 0;
}
