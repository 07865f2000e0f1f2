#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "feed/DateParsing.h"

namespace {

// Dates as feeds write them: named and numeric zones, with and without weekday.
const std::vector<std::string>& sampleDates() {
    static const std::vector<std::string> dates = {
        "Tue, 14 Nov 2023 22:13:20 +0000", "Wed, 15 Nov 2023 07:13:20 +0900",
        "Sat, 01 Jun 2024 08:00:00 GMT",   "Mon, 3 Mar 2025 17:45:09 -0500",
        "21 Dec 2022 23:59:59 EST",        "Fri, 29 Feb 2024 12:00:00 +0530",
    };
    return dates;
}

void BM_ParseRfc822Date(benchmark::State& state) {
    const auto& dates = sampleDates();
    size_t next = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(ParseRfc822Date(dates[next]));
        next = next + 1 == dates.size() ? 0 : next + 1;
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
}
BENCHMARK(BM_ParseRfc822Date);

}  // namespace
