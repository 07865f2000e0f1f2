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

std::string toMultiByte(std::wstring_view text, UINT codePage) {
    if (text.empty() || text.size() > INT_MAX) return {};
    const int sourceLength = static_cast<int>(text.size());
    const int length =
        WideCharToMultiByte(codePage, 0, text.data(), sourceLength, nullptr, 0, nullptr, nullptr);
    if (length <= 0) return {};
    std::string bytes(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(codePage, 0, text.data(), sourceLength, bytes.data(), length, nullptr, nullptr);
    return bytes;
}

bool isAnsiLeadByte(unsigned char byte) { return IsDBCSLeadByte(byte) != FALSE; }
