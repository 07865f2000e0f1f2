#include "common/CharacterBoundary.h"

size_t wholeCharacterPrefix(std::string_view bytes, size_t limit, bool (*isLeadByte)(unsigned char)) {
    size_t end = 0;
    while (end < bytes.size()) {
        const size_t width = isLeadByte(static_cast<unsigned char>(bytes[end])) && end + 1 < bytes.size() ? 2 : 1;
        if (end + width > limit) break;
        end += width;
    }
    return end;
}
