#pragma once
// Cutting multibyte text without splitting a character. Portable; the caller supplies the
// code page's lead-byte rule.
#include <cstddef>
#include <string_view>

// The length of the longest start of `bytes` that has at most `limit` bytes and ends on a
// character boundary: a double-byte character counts two and is never cut in half.
size_t wholeCharacterPrefix(std::string_view bytes, size_t limit, bool (*isLeadByte)(unsigned char));
