#pragma once
// Feeds from content systems use HTML's named characters (&nbsp;, &eacute;) and bare
// ampersands, with no DTD declaring them: not well-formed XML. This turns such a document
// into one that is, reading as its writer meant.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Outside comments, CDATA sections, processing instructions and the DOCTYPE declaration:
// "&name;" of an HTML named character becomes its numeric references ("&#233;"), and an
// '&' that starts no reference becomes "&amp;". References to XML's five entities and
// numeric references stay, and so does any other "&name;" after a DOCTYPE with an internal
// subset, which may declare it. Empty when nothing needs changing, or when the repaired
// text would be longer than `maxLength`.
std::optional<std::wstring> RepairEntityReferences(std::wstring_view text, size_t maxLength = SIZE_MAX);
