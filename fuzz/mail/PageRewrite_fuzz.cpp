// Differential: the production rewriter and the literal one must give the same bytes for
// every page and base. The first line of the input is the base (none: an empty base), the
// rest the page. Both live in exactly-sized heap blocks, so a read past either is caught.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>

#include "mail/PageRewrite.h"
#include "mail/RewriteOracle.h"
#include "support/ExactCopy.h"
#include "support/FuzzCheck.h"

namespace {

std::string firstDifference(const std::string& production, const std::string& literal) {
    size_t at = 0;
    while (at < production.size() && at < literal.size() && production[at] == literal[at]) ++at;
    return "outputs differ from byte " + std::to_string(at) + ": production \"" + production.substr(at, 40) +
           "\" literal \"" + literal.substr(at, 40) + "\"";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const size_t lineEnd = input.find('\n');
    const ExactCopy base(lineEnd == std::string_view::npos ? std::string_view() : input.substr(0, lineEnd));
    const ExactCopy page(lineEnd == std::string_view::npos ? input : input.substr(lineEnd + 1));
    const std::atomic<int32_t> notStopped{0};
    const std::string production = rewritePageLinks(page.view(), base.view(), &notStopped);
    const std::string literal = rewritePageLinksLiterally(page.view(), base.view());
    FUZZ_CHECK(production == literal, firstDifference(production, literal));
    return 0;
}
