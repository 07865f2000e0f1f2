#pragma once
// The page link rewriting done literally: one byte per step, and every attribute value
// searches the rest of the page for its "=" afresh. Quadratic on purpose; it is the
// reference that the production rewriter is compared with, in tests and under a fuzzer.
#include <string>
#include <string_view>

std::string rewritePageLinksLiterally(std::string_view page, std::string_view base);
