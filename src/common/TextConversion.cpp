#include "common/TextConversion.h"

#include <climits>

std::wstring toWide(std::string_view bytes, UINT codePage) {
    if (bytes.empty() || bytes.size() > INT_MAX) return {};
    const int sourceLength = static_cast<int>(bytes.size());
    const int length = MultiByteToWideChar(codePage, 0, bytes.data(), sourceLength, nullptr, 0);
    if (length <= 0) return {};
    std::wstring text(static_cast<size_t>(length), L'\0');
    if (MultiByteToWideChar(codePage, 0, bytes.data(), sourceLength, text.data(), length) != length) return {};
    return text;
}

std::wstring MultiByteToText(UINT codePage, std::string_view bytes) {
    return toWide(bytes.substr(0, bytes.find('\0')), codePage);
}

size_t multiByteLength(std::wstring_view text, UINT codePage) {
    if (text.empty() || text.size() > INT_MAX) return 0;
    const int length = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                           nullptr, nullptr);
    return length > 0 ? static_cast<size_t>(length) : 0;
}

bool writeMultiByte(std::wstring_view text, UINT codePage, char* out, size_t length) {
    if (text.empty()) return length == 0;
    if (text.size() > INT_MAX || length > INT_MAX) return false;
    const int room = static_cast<int>(length);
    return WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), out, room, nullptr,
                               nullptr) == room;
}

std::string toMultiByte(std::wstring_view text, UINT codePage) {
    std::string bytes(multiByteLength(text, codePage), '\0');
    if (!writeMultiByte(text, codePage, bytes.data(), bytes.size())) return {};
    return bytes;
}

bool isAnsiLeadByte(unsigned char byte) { return IsDBCSLeadByte(byte) != FALSE; }
