#include <benchmark/benchmark.h>

#include <cstring>
#include <string>

#include "BenchmarkPages.h"
#include "common/DateText.h"
#include "mail/MailText.h"
#include "mail/PageRewrite.h"
#include "settings/HtmlMode.h"

namespace {

constexpr size_t kRealisticPageSize = 200 * 1024;
constexpr size_t kHostileSmall = 1024 * 1024;
constexpr size_t kHostileLarge = 2 * kHostileSmall;

const std::string& pageOfKind(int kind, size_t size) {
    static const std::string realistic = realisticPage(kRealisticPageSize);
    static const std::string hostileSmall = hostilePage(kHostileSmall);
    static const std::string hostileLarge = hostilePage(kHostileLarge);
    if (kind == 0) return realistic;
    return size == kHostileSmall ? hostileSmall : hostileLarge;
}

// Arguments: page kind (0 realistic, 1 hostile) and size.
void pageArguments(benchmark::internal::Benchmark* benchmark) {
    benchmark->ArgNames({"hostile", "bytes"});
    benchmark->Args({0, static_cast<int64_t>(kRealisticPageSize)});
    benchmark->Args({1, static_cast<int64_t>(kHostileSmall)});
    benchmark->Args({1, static_cast<int64_t>(kHostileLarge)});
}

void BM_RewritePageLinks(benchmark::State& state) {
    const std::string& page = pageOfKind(static_cast<int>(state.range(0)), static_cast<size_t>(state.range(1)));
    for (auto _ : state) {
        std::string rewritten = rewritePageLinks(page, "http://www.example.com");
        benchmark::DoNotOptimize(rewritten.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
}
BENCHMARK(BM_RewritePageLinks)->Apply(pageArguments);

// The yardstick: copying the same page into a buffer that is already there.
void BM_MemcpyPage(benchmark::State& state) {
    const std::string& page = pageOfKind(static_cast<int>(state.range(0)), static_cast<size_t>(state.range(1)));
    std::string copy(page.size(), '\0');
    for (auto _ : state) {
        std::memcpy(&copy[0], page.data(), page.size());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
}
BENCHMARK(BM_MemcpyPage)->Apply(pageArguments);

void BM_EncodeBase64(benchmark::State& state) {
    std::string bytes(static_cast<size_t>(state.range(0)), '\0');
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 131 + 7);
    for (auto _ : state) {
        std::string encoded = encodeBase64(bytes.data(), bytes.size());
        benchmark::DoNotOptimize(encoded.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_EncodeBase64)->Arg(64)->Arg(1024 * 1024);

// A 4 KB item text of 64 lines, in either of the modes that frame the item's own text.
void BM_ComposeMailText(benchmark::State& state) {
    std::string body;
    while (body.size() < 4096) {
        body += "<p>Line of the item text with <a href=\"http://www.example.com/x\">a link</a> ";
        body += "\xE3\x81\x93\xE3\x82\x8C\xE3\x81\xAF\xE6\x9C\xAC\xE6\x96\x87</p>\r\n";
    }
    body.resize(4096);
    MailParts parts;
    parts.date = 1700000000;
    parts.sender = "Example Blog [\xE5\xB1\xB1\xE7\x94\xB0]";
    parts.subject = "[Blog]_\xE6\x96\xB0\xE3\x81\x97\xE3\x81\x84\xE8\xA3\xBD\xE5\x93\x81 announced today";
    parts.link = "http://www.example.com/2024/06/11/entry-12345.html";
    parts.body = body;
    parts.htmlMode = static_cast<int32_t>(state.range(0));
    for (auto _ : state) {
        std::string mail = composeMailText(parts);
        benchmark::DoNotOptimize(mail.data());
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
}
BENCHMARK(BM_ComposeMailText)->ArgName("htmlMode")->Arg(HtmlBreakLines)->Arg(HtmlNormal);

}  // namespace
