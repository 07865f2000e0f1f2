#pragma once
// The file list of a drop (the CF_HDROP format): a 20-byte header whose first 32 bits give
// the offset of the names and whose last 32 bits say whether they are UTF-16, then the names,
// each ended by a NUL, the list by an empty name. Portable: the block comes from another
// program and is read as untrusted bytes.
#include <optional>
#include <string>
#include <string_view>

struct DroppedFileName {
    bool wide = false;
    std::string ansi;     // the name's bytes in the ANSI code page, when not wide
    std::u16string utf16;  // the name, when wide
};

// The first name, whatever its length, up to its NUL or the end of the block; nullopt when
// the header is cut short, its offset points outside the block or the first name is empty.
std::optional<DroppedFileName> firstDroppedFileName(std::string_view block);
