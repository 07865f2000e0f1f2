#include "feed/HtmlEntities.h"

#include <algorithm>
#include <iterator>
#include <type_traits>

namespace {

constexpr HtmlEntity kHtmlEntities[] = {
#include "feed/HtmlEntityTable.inc"
};

// Code units compare by value, so that a name outside ASCII sorts after every table name
// whatever the width and signedness of wchar_t.
using CodeUnit = std::make_unsigned_t<wchar_t>;

constexpr int compareNames(const char* tableName, std::wstring_view name) {
    size_t at = 0;
    for (; tableName[at] != '\0' && at < name.size(); ++at) {
        const CodeUnit left = static_cast<unsigned char>(tableName[at]);
        const CodeUnit right = static_cast<CodeUnit>(name[at]);
        if (left != right) return left < right ? -1 : 1;
    }
    if (tableName[at] != '\0') return 1;
    return at < name.size() ? -1 : 0;
}

constexpr bool isSortedByName() {
    for (size_t i = 1; i < std::size(kHtmlEntities); ++i) {
        const char* name = kHtmlEntities[i].name;
        size_t length = 0;
        while (name[length] != '\0') ++length;
        wchar_t wide[32] = {};
        if (length >= std::size(wide)) return false;
        for (size_t k = 0; k < length; ++k) wide[k] = static_cast<wchar_t>(name[k]);
        if (compareNames(kHtmlEntities[i - 1].name, std::wstring_view(wide, length)) >= 0) return false;
    }
    return true;
}
static_assert(isSortedByName(), "the binary search needs the rows in name order");

}  // namespace

const HtmlEntity* FindHtmlEntity(std::wstring_view name) {
    const auto found = std::lower_bound(std::begin(kHtmlEntities), std::end(kHtmlEntities), name,
                                        [](const HtmlEntity& entity, std::wstring_view wanted) {
                                            return compareNames(entity.name, wanted) < 0;
                                        });
    return found != std::end(kHtmlEntities) && compareNames(found->name, name) == 0 ? &*found : nullptr;
}
