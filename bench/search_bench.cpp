// Search time over the largest log (32,768 lines, 300 errors), as the find bar
// runs it on every keystroke: every match of the pattern in every view line.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "logproc/log_lines.h"
#include "views/text_search.h"

namespace {

namespace fs = std::filesystem;

const lognex::LogLines& LargestLog() {
    static const lognex::LogLines lines = [] {
        const fs::path path = fs::temp_directory_path() / "lognex-search-bench.rpt";
        const std::string make = "/usr/bin/python3 " LOGNEX_SOURCE_DIR "/scripts/make-sample-log.py '" + path.string() +
                                 "' --lines 32768 --distinct 300";
        if (std::system(make.c_str()) != 0) return lognex::LogLines();
        lognex::LogLines loaded = lognex::LoadLogLines(path.string());
        fs::remove(path);
        return loaded;
    }();
    return lines;
}

void Search(benchmark::State& state, const char* pattern, lognex::SearchOptions options) {
    const lognex::LogLines& log = LargestLog();
    if (log.Count() == 0) {
        state.SkipWithError("cannot make the log");
        return;
    }
    std::vector<std::string_view> lines;
    for (std::size_t i = 0; i < log.ViewLineCount(); ++i) lines.push_back(log.FullLine(i));
    std::size_t found = 0;
    for (auto _ : state) {
        // Compiling is part of every keystroke's work.
        const lognex::TextPattern compiled(pattern, options);
        found = lognex::FindAll(compiled, lines).size();
        benchmark::DoNotOptimize(found);
    }
    state.counters["lines"] = static_cast<double>(lines.size());
    state.counters["matches"] = static_cast<double>(found);
}

using lognex::SearchOptions;
BENCHMARK_CAPTURE(Search, plain_any_case, "vacuum", SearchOptions{})->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Search, plain_common_letter, "e", SearchOptions{})->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Search, plain_match_case, "Vacuum", SearchOptions{.matchCase = true})->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Search, whole_words, "chuck", SearchOptions{.wholeWords = true})->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Search, regex_literal, "vacuum", SearchOptions{.regex = true})->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Search, regex_class, "LINE: 1[0-9]+", SearchOptions{.regex = true})->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Search, regex_any_case_span, "wafer.*chuck", SearchOptions{.regex = true})
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Search, regex_no_literal, "[0-9]{2}:[0-9]{2}:5[0-9]", SearchOptions{.regex = true})
    ->Unit(benchmark::kMillisecond);

}  // namespace
