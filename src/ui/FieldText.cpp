#include "ui/FieldText.h"

#include <cstdint>

int32_t fieldNumber(std::string_view text) {
    size_t position = text.find_first_not_of(" \t");
    if (position == std::string_view::npos) return 0;
    const bool negative = text[position] == '-';
    if (text[position] == '-' || text[position] == '+') ++position;
    const int64_t limit = negative ? -static_cast<int64_t>(INT32_MIN) : INT32_MAX;
    int64_t value = 0;
    for (; position < text.size() && text[position] >= '0' && text[position] <= '9'; ++position) {
        value = value * 10 + (text[position] - '0');
        if (value > limit) {
            value = limit;
            break;
        }
    }
    return static_cast<int32_t>(negative ? -value : value);
}
