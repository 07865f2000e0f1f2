#pragma once
// How the settings take a dialog field: the ANSI bytes of its text, cut to what the settings
// file holds. Portable; the caller supplies the ANSI code page's lead-byte rule.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "common/CharacterBoundary.h"

// A field's text keeps at most this many bytes, cut by wholeCharacterPrefix.
constexpr size_t kMaxFieldBytes = 254;

// The decimal number a field's text starts with (blanks, a sign, digits); 0 when it starts
// with none. Values beyond 32 bits end at the nearest limit instead of wrapping.
int32_t fieldNumber(std::string_view text);
