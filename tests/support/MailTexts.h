#pragma once
// Texts as mails carry them: UTF-8 bytes and their base64 in encoded words.
#include <string>

#include "common/DateText.h"
#include "common/TextConversion.h"

inline std::string utf8(const std::wstring& text) { return toMultiByte(text, CP_UTF8); }
inline std::string base64(const std::string& bytes) { return encodeBase64(bytes.data(), bytes.size()); }
