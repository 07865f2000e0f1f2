#include "ui/DroppedFiles.h"

#include <cstdint>

namespace {

constexpr size_t kHeaderSize = 20;
constexpr size_t kWideFlagOffset = 16;

uint32_t littleEndian32(std::string_view bytes, size_t at) {
    uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i) value |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
    return value;
}

std::u16string wideNameAt(std::string_view names) {
    std::u16string name;
    for (size_t i = 0; i + 1 < names.size(); i += 2) {
        const auto unit = static_cast<char16_t>(static_cast<unsigned char>(names[i]) |
                                                static_cast<unsigned char>(names[i + 1]) << 8);
        if (unit == 0) break;
        name += unit;
    }
    return name;
}

}  // namespace

std::optional<DroppedFileName> firstDroppedFileName(std::string_view block) {
    if (block.size() < kHeaderSize) return std::nullopt;
    const uint32_t offset = littleEndian32(block, 0);
    if (offset < kHeaderSize || offset >= block.size()) return std::nullopt;
    const std::string_view names = block.substr(offset);
    DroppedFileName first;
    first.wide = littleEndian32(block, kWideFlagOffset) != 0;
    if (first.wide) {
        first.utf16 = wideNameAt(names);
        if (first.utf16.empty()) return std::nullopt;
    } else {
        first.ansi = std::string(names.substr(0, names.find('\0')));
        if (first.ansi.empty()) return std::nullopt;
    }
    return first;
}
