#pragma once
// Wide text from fuzz bytes: UTF-8 sequences become their BMP characters and every other
// byte the character of its own value, so seeds stay readable and any character can occur.
#include <string>
#include <string_view>

inline std::wstring wideTextOf(std::string_view bytes) {
    std::wstring text;
    for (size_t i = 0; i < bytes.size();) {
        const unsigned char lead = static_cast<unsigned char>(bytes[i]);
        const size_t length = (lead & 0xE0) == 0xC0 ? 2 : (lead & 0xF0) == 0xE0 ? 3 : 1;
        bool sequence = length > 1 && i + length <= bytes.size();
        unsigned value = length == 2 ? (lead & 0x1F) : (lead & 0x0F);
        for (size_t k = 1; sequence && k < length; ++k) {
            const unsigned char trail = static_cast<unsigned char>(bytes[i + k]);
            sequence = (trail & 0xC0) == 0x80;
            value = value << 6 | (trail & 0x3F);
        }
        text += static_cast<wchar_t>(sequence ? value : lead);
        i += sequence ? length : 1;
    }
    return text;
}

// UTF-8 of wide text whose characters all lie in the BMP, as wideTextOf makes them.
inline std::string utf8Of(std::wstring_view text) {
    std::string bytes;
    for (const wchar_t c : text) {
        const unsigned value = static_cast<unsigned>(c) & 0xFFFF;
        if (value < 0x80) {
            bytes += static_cast<char>(value);
        } else if (value < 0x800) {
            bytes += {static_cast<char>(0xC0 | value >> 6), static_cast<char>(0x80 | (value & 0x3F))};
        } else {
            bytes += {static_cast<char>(0xE0 | value >> 12), static_cast<char>(0x80 | ((value >> 6) & 0x3F)),
                      static_cast<char>(0x80 | (value & 0x3F))};
        }
    }
    return bytes;
}
