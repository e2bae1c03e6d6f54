// The error table and time ranges on a 1 M-entry value: applying a range,
// building the table, and sorting it by a number and by a text column. Two
// shapes: a prober's log (1,000 distinct errors) and the worst case, where
// every entry is an error of its own (1 M rows to sort).
#include <benchmark/benchmark.h>

#include <map>
#include <string>

#include "views/error_table.h"
#include "views/time_range.h"

namespace {

constexpr int kEntries = 1'000'000;

// kEntries entries a minute apart from April 2007, of `distinct` errors.
const lognex::Analysis& MillionEntries(int distinct) {
    static std::map<int, lognex::Analysis> made;
    auto [at, fresh] = made.try_emplace(distinct);
    if (!fresh) return at->second;
    std::uint32_t line = 1;
    for (int i = 0; i < kEntries; ++i) {
        const int error = static_cast<int>(static_cast<long long>(i) * 7919 % distinct);
        at->second.Append({39189.0 + i / 1440.0, "FILE: CVT.c at LINE: " + std::to_string(error % 4000),
                           "Wafer loading error - wafer not sensed on chuck pins (" + std::to_string(error) + ")"},
                          lognex::HeaderLine{line});
        line += 2;
    }
    return at->second;
}

// The middle half of the log's span.
lognex::TimeRange MiddleHalf() {
    const std::int64_t first = lognex::ToMilliseconds(39189.0), minutes = 60'000;
    return {first + kEntries / 4 * minutes, first + kEntries * 3 / 4 * minutes};
}

void BM_LimitToRange(benchmark::State& state) {
    const lognex::Analysis& analysis = MillionEntries(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        const lognex::AnalysisInRange value = lognex::LimitToRange(analysis, MiddleHalf());
        benchmark::DoNotOptimize(value.entries.data());
    }
    state.SetItemsProcessed(state.iterations() * kEntries);
}
BENCHMARK(BM_LimitToRange)->Arg(1000)->Arg(kEntries)->Unit(benchmark::kMillisecond);

void BM_BuildErrorTable(benchmark::State& state) {
    const lognex::Analysis& analysis = MillionEntries(static_cast<int>(state.range(0)));
    const lognex::ErrorTextRanks ranks = lognex::RankErrorTexts(analysis);
    const lognex::AnalysisInRange value = lognex::LimitToRange(analysis, MiddleHalf());
    for (auto _ : state) {
        const lognex::ErrorTable table = lognex::BuildErrorTable(value, ranks, state.range(1) != 0);
        benchmark::DoNotOptimize(table.rows.data());
    }
}
BENCHMARK(BM_BuildErrorTable)->Args({1000, 0})->Args({kEntries, 0})->Args({kEntries, 1})->Unit(benchmark::kMillisecond);

void BM_SortErrorTable(benchmark::State& state) {
    const lognex::Analysis& analysis = MillionEntries(static_cast<int>(state.range(0)));
    const lognex::ErrorTextRanks ranks = lognex::RankErrorTexts(analysis);
    lognex::ErrorTable table = lognex::BuildErrorTable(lognex::LimitToRange(analysis), ranks, false);
    const auto column = static_cast<lognex::ErrorColumn>(state.range(1));
    bool up = false;
    for (auto _ : state) {
        lognex::SortErrorTable(table, column, (up = !up) ? lognex::SortOrder::Ascending : lognex::SortOrder::Descending,
                               ranks);
        benchmark::DoNotOptimize(table.rows.data());
    }
    state.SetLabel(std::to_string(table.rows.size()) + " rows");
}
BENCHMARK(BM_SortErrorTable)
    ->Args({1000, static_cast<int>(lognex::ErrorColumn::Count)})
    ->Args({kEntries, static_cast<int>(lognex::ErrorColumn::Count)})
    ->Args({kEntries, static_cast<int>(lognex::ErrorColumn::Error)})
    ->Args({kEntries, static_cast<int>(lognex::ErrorColumn::Last)})
    ->Unit(benchmark::kMillisecond);

// Once per analysis: what makes sorting by a text column a sort of numbers.
void BM_RankErrorTexts(benchmark::State& state) {
    const lognex::Analysis& analysis = MillionEntries(static_cast<int>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(lognex::RankErrorTexts(analysis).text.data());
}
BENCHMARK(BM_RankErrorTexts)->Arg(1000)->Arg(kEntries)->Unit(benchmark::kMillisecond);

}  // namespace
