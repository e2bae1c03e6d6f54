// The timeline over the largest log a run takes (16,384 entries, 300 distinct
// errors): binning, reading the occurrences from the tables, laying the chart
// out and writing its files.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "logproc/analysis.h"
#include "logproc/log_entry_parser.h"
#include "views/timeline.h"
#include "views/timeline_chart.h"

namespace {

constexpr int kEntries = 16'384;
constexpr int kDistinctErrors = 300;

// Entries 5 to 900 seconds apart from 17 April 2007, errors weighted 1/(1+e),
// as scripts/make-sample-log.py writes them.
std::vector<lognex::TimelinePoint> LargestLogPoints() {
    std::mt19937 random(40);
    std::vector<double> weights;
    for (int e = 0; e < kDistinctErrors; ++e) weights.push_back(1.0 / (1 + e));
    std::discrete_distribution<int> error(weights.begin(), weights.end());
    std::uniform_int_distribution<int> gap(5, 900);
    std::vector<lognex::TimelinePoint> points;
    double when = lognex::EncodeCalendarDate(2007, 4, 17) + (21 * 3600 + 40 * 60 + 58) / 86400.0;
    for (int i = 0; i < kEntries; ++i) {
        points.push_back({when, error(random)});
        when += gap(random) / 86400.0;
    }
    return points;
}

void BM_BinLargestLog(benchmark::State& state) {
    const std::vector<lognex::TimelinePoint> points = LargestLogPoints();
    for (auto _ : state) benchmark::DoNotOptimize(lognex::BinOccurrences(points));
    state.counters["bins"] = static_cast<double>(lognex::BinOccurrences(points).binCount);
}
BENCHMARK(BM_BinLargestLog)->Unit(benchmark::kMillisecond);

void BM_ReadAndBinFromAnalysis(benchmark::State& state) {
    lognex::Analysis analysis;
    const std::vector<lognex::TimelinePoint> points = LargestLogPoints();
    for (int i = 0; i < kEntries; ++i) {
        const int e = points[static_cast<std::size_t>(i)].error;
        analysis.Append(
            lognex::LogEntry{points[static_cast<std::size_t>(i)].when, "FILE: Unit" + std::to_string(e % 12) + ".c",
                             "Error number " + std::to_string(e)},
            lognex::HeaderLine{static_cast<std::uint32_t>(2 * i + 1)});
    }
    for (auto _ : state) {
        const lognex::TimelineSource source = lognex::ReadTimelineSource(analysis);
        benchmark::DoNotOptimize(lognex::BinOccurrences(source.points));
    }
}
BENCHMARK(BM_ReadAndBinFromAnalysis)->Unit(benchmark::kMillisecond);

void BM_LayoutAndSvg(benchmark::State& state) {
    const std::vector<lognex::TimelinePoint> points = LargestLogPoints();
    const lognex::Timeline timeline = lognex::BinOccurrences(points);
    std::vector<std::string> names(timeline.series.size(), std::string(60, 'x'));
    for (auto _ : state) {
        const lognex::TimelineChart chart = lognex::LayoutTimelineChart(timeline, names, "", lognex::ChartStyle{});
        benchmark::DoNotOptimize(lognex::TimelineSvg(chart, timeline));
    }
}
BENCHMARK(BM_LayoutAndSvg)->Unit(benchmark::kMillisecond);

}  // namespace
