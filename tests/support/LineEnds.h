#pragma once
// The line-end rule of a message: CR and LF only together, as CR LF. Portable.
#include <string_view>

inline bool hasBareLineEnd(std::string_view text) {
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) return true;
        if (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n')) return true;
    }
    return false;
}
