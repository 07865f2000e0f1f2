#pragma once
// Property checks inside fuzz targets: a broken one prints what broke and aborts, which
// libFuzzer reports as a crash and keeps the input.
#include <cstdio>
#include <cstdlib>
#include <string_view>

[[noreturn]] inline void failFuzzCheck(const char* condition, std::string_view detail, const char* file,
                                       int line) {
    std::fprintf(stderr, "%s:%d: property broken: %s\n  %.*s\n", file, line, condition,
                 static_cast<int>(detail.size()), detail.data());
    std::abort();
}

#define FUZZ_CHECK(condition, detail) \
    ((condition) ? static_cast<void>(0) : failFuzzCheck(#condition, (detail), __FILE__, __LINE__))
