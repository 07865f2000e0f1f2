// The state file's reader over arbitrary bytes. The first input byte picks the mode: when odd,
// every line after the first gets its check appended before reading, so that mutations reach
// the fields behind the check; the rest is the file.
//
// What holds: whatever reads, every link's keys are ordered and unique, and the states format
// to a file that reads back as the same states and formats to the same text again.
#include <zlib.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "settings/LinkState.h"
#include "support/FuzzCheck.h"

namespace {

std::string withChecks(std::string_view text) {
    std::string sealed;
    bool first = true;
    while (!text.empty()) {
        const size_t end = std::min(text.find('\n'), text.size());
        const std::string_view line = text.substr(0, end);
        sealed += line;
        if (!first) {
            char check[16];
            std::snprintf(check, sizeof check, "\t%08lx",
                          crc32(0, reinterpret_cast<const Bytef*>(line.data()), static_cast<uInt>(line.size())));
            sealed += check;
        }
        sealed += '\n';
        first = false;
        text.remove_prefix(std::min(end + 1, text.size()));
    }
    return sealed;
}

bool keysOrderedAndUnique(const LinkState& state) {
    return std::adjacent_find(state.seen.begin(), state.seen.end(), [](const SeenItem& a, const SeenItem& b) {
               return a.key >= b.key;
           }) == state.seen.end();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::string text = (data[0] & 1) != 0 ? withChecks(input) : std::string(input);
    const LinkStates states = parseLinkStates(text);
    for (const auto& link : states) FUZZ_CHECK(keysOrderedAndUnique(link.second), link.first);
    const std::string formatted = formatLinkStates(states);
    const LinkStates reread = parseLinkStates(formatted);
    FUZZ_CHECK(reread == states, formatted);
    FUZZ_CHECK(formatLinkStates(reread) == formatted, formatted);
    return 0;
}
