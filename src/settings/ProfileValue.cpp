#include "settings/ProfileValue.h"

#include <windows.h>

#include "common/CharacterBoundary.h"
#include "common/TextConversion.h"

std::wstring readProfileText(const std::wstring& path, const wchar_t* section, const wchar_t* key,
                             const wchar_t* fallback) {
    constexpr DWORD kBufferSize = kMaxProfileValueBytes + 1;
    wchar_t buffer[kBufferSize] = {};
    GetPrivateProfileStringW(section, key, fallback, buffer, kBufferSize, path.c_str());
    return buffer;
}

std::string readAnsiProfileValue(const std::wstring& path, const wchar_t* section, const wchar_t* key,
                                 const wchar_t* fallback) {
    std::string value = toAnsi(readProfileText(path, section, key, fallback));
    value.resize(wholeCharacterPrefix(value, kMaxProfileValueBytes, isAnsiLeadByte));
    return value;
}
