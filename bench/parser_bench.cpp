// Throughput of the log entry parser on lines shaped like the prober's.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "logproc/log_entry_parser.h"

namespace {

struct Pair {
    std::string header, text;
};

std::vector<Pair> RealisticPairs() {
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    static const char* const kDays[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
    std::vector<Pair> pairs;
    for (int i = 0; i < 1024; ++i) {
        char header[128];
        std::snprintf(header, sizeof header, "%s %s %2d %02d:%02d:%02d 2007 FILE: %s.c at LINE: %d", kDays[i % 7],
                      kMonths[i % 12], i % 28 + 1, i % 24, i * 7 % 60, i * 13 % 60, i % 3 ? "CVT" : "WaferHandler",
                      1000 + i * 37 % 5000);
        pairs.push_back(
            {header, "Wafer loading error - wafer not sensed on chuck pins (" + std::to_string(i % 300) + ")"});
    }
    return pairs;
}

void BM_ParseLogEntry(benchmark::State& state) {
    const std::vector<Pair> pairs = RealisticPairs();
    const lognex::LocaleFormat locale = lognex::CLocaleFormat();
    std::size_t i = 0;
    for (auto _ : state) {
        const Pair& pair = pairs[i++ & 1023];
        benchmark::DoNotOptimize(lognex::ParseLogEntry(pair.header, pair.text, locale));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ParseLogEntry);

// A desktop whose month names differ from the prober's: every header falls
// through the locale's twelve names to the English ones.
void BM_ParseLogEntryFrenchDesktop(benchmark::State& state) {
    const std::vector<Pair> pairs = RealisticPairs();
    lognex::LocaleFormat locale = lognex::CLocaleFormat();
    locale.shortMonthNames = {"janv.",
                              "f\xE9vr.",
                              "mars",
                              "avril",
                              "mai",
                              "juin",
                              "juil.",
                              "ao\xFBt",
                              "sept.",
                              "oct.",
                              "nov.",
                              "d\xE9"
                              "c."};
    locale.decimalSeparator = ',';
    std::size_t i = 0;
    for (auto _ : state) {
        const Pair& pair = pairs[i++ & 1023];
        benchmark::DoNotOptimize(lognex::ParseLogEntry(pair.header, pair.text, locale));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ParseLogEntryFrenchDesktop);

}  // namespace
