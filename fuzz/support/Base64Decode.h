#pragma once
// A strict base64 decoder for checking the encoder: it refuses a wrong length, bytes outside
// the standard alphabet, misplaced padding and set bits in the unused tail of the last
// group, so only canonical text (the one text an encoder may give) decodes.
#include <optional>
#include <string>
#include <string_view>

inline int base64Digit(char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

inline std::optional<std::string> decodeBase64Strictly(std::string_view text) {
    if (text.size() % 4 != 0) return std::nullopt;
    std::string bytes;
    for (size_t group = 0; group < text.size(); group += 4) {
        const bool last = group + 4 == text.size();
        const size_t padding = last ? (text[group + 3] == '=') + (text[group + 2] == '=' && text[group + 3] == '=') : 0;
        int digits[4] = {0, 0, 0, 0};
        for (size_t i = 0; i < 4 - padding; ++i) {
            digits[i] = base64Digit(text[group + i]);
            if (digits[i] < 0) return std::nullopt;
        }
        const unsigned value = (unsigned(digits[0]) << 18) | (unsigned(digits[1]) << 12) |
                               (unsigned(digits[2]) << 6) | unsigned(digits[3]);
        bytes += static_cast<char>(value >> 16);
        if (padding == 2) {
            if ((value & 0xFFFF) != 0) return std::nullopt;
            continue;
        }
        bytes += static_cast<char>(value >> 8);
        if (padding == 1) {
            if ((value & 0xFF) != 0) return std::nullopt;
            continue;
        }
        bytes += static_cast<char>(value);
    }
    return bytes;
}
