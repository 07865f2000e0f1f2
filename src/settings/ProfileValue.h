#pragma once
// Values of INI-style files, which hold ANSI text. Read through the wide functions: they take
// a path that the ANSI code page may not be able to spell, and convert the content through
// that code page as the ANSI ones do.
#include <cstddef>
#include <string>

// What a value buffer of the settings file holds, its terminating NUL not counted; a longer
// value reads back cut.
constexpr size_t kMaxProfileValueBytes = 1023;

// The value of `key` in `section`, or `fallback` when either is missing.
std::wstring readProfileText(const std::wstring& path, const wchar_t* section, const wchar_t* key,
                             const wchar_t* fallback);

// readProfileText as the ANSI bytes of the file, cut to kMaxProfileValueBytes on a character
// boundary.
std::string readAnsiProfileValue(const std::wstring& path, const wchar_t* section, const wchar_t* key,
                                 const wchar_t* fallback);
