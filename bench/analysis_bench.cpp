// Building the analysis value from parsed entries: the hash look-up of each
// entry's distinct error and the appends, without parsing or tables.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "logproc/analysis.h"

namespace {

// The largest log a run takes: 16,384 entries of 300 distinct errors, texts
// and locations shaped like the prober's.
std::vector<lognex::LogEntry> LargestLogEntries() {
    std::vector<lognex::LogEntry> entries;
    for (int i = 0; i < 16384; ++i) {
        const int error = i * 7919 % 300;
        entries.push_back({39189.0 + i / 1440.0, "FILE: CVT.c at LINE: " + std::to_string(1000 + error * 13 % 400),
                           "Wafer loading error - wafer not sensed on chuck pins (" + std::to_string(error) + ")"});
    }
    return entries;
}

void BM_BuildAnalysis(benchmark::State& state) {
    const std::vector<lognex::LogEntry> entries = LargestLogEntries();
    for (auto _ : state) {
        lognex::Analysis analysis;
        std::uint32_t line = 1;
        for (const lognex::LogEntry& entry : entries) {
            analysis.Append(entry, lognex::HeaderLine{line});
            line += 2;
        }
        benchmark::DoNotOptimize(analysis.Entries().data());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(entries.size()));
}
BENCHMARK(BM_BuildAnalysis);

}  // namespace
