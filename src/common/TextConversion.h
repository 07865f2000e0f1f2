#pragma once
// The one place that converts between UTF-16 and multibyte code pages.
#include <windows.h>

#include <string>
#include <string_view>

// Bytes in the given code page to UTF-16; bytes invalid there become the system's
// replacement characters rather than failing the whole text.
std::wstring toWide(std::string_view bytes, UINT codePage = CP_ACP);

// `bytes` taken as a NUL-terminated string in `codePage`: what follows the first NUL is not
// part of it. Empty when the conversion fails.
std::wstring MultiByteToText(UINT codePage, std::string_view bytes);

// UTF-16 to the given code page; characters it lacks become its default character.
std::string toMultiByte(std::wstring_view text, UINT codePage = CP_ACP);

// toMultiByte in two steps, for writing straight into a buffer that another component owns:
// the number of bytes the text takes (0 when it cannot be converted), then the conversion
// into `out`, which has exactly that room. False when the conversion fails.
size_t multiByteLength(std::wstring_view text, UINT codePage);
bool writeMultiByte(std::wstring_view text, UINT codePage, char* out, size_t length);

inline std::string toAnsi(std::wstring_view text) { return toMultiByte(text, CP_ACP); }
inline std::wstring fromAnsi(std::string_view bytes) { return toWide(bytes, CP_ACP); }

// The ANSI code page's double-byte lead-byte rule, in the form portable code takes it.
bool isAnsiLeadByte(unsigned char byte);
