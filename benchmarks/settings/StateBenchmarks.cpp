#include <benchmark/benchmark.h>

#include "SampleLinkStates.h"
#include "settings/LinkState.h"

namespace {

constexpr int kLinks = 10000;
constexpr int kKeysPerLink = 100;

const LinkStates& largeStates() {
    static const LinkStates states = sampleLinkStates(kLinks, kKeysPerLink);
    return states;
}

void BM_FormatLinkStates(benchmark::State& state) {
    size_t bytes = 0;
    for (auto _ : state) {
        const std::string text = formatLinkStates(largeStates());
        bytes = text.size();
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
    state.counters["file_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_FormatLinkStates)->Unit(benchmark::kMillisecond);

void BM_ParseLinkStates(benchmark::State& state) {
    const std::string text = formatLinkStates(largeStates());
    for (auto _ : state) benchmark::DoNotOptimize(parseLinkStates(text));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kLinks * kKeysPerLink);
}
BENCHMARK(BM_ParseLinkStates)->Unit(benchmark::kMillisecond);

}  // namespace
