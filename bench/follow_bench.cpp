// Following a large log: 100 entries appended to a log of 1 M entries, read
// and counted (only the new bytes), written into the tables and the summary
// built again; and the whole first read of that log for comparison.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>

#include "logproc/analysis_store.h"
#include "logproc/log_follow.h"
#include "support/date_time.h"
#include "tables/error_tables.h"
#include "views/summary_report.h"

namespace {

namespace fs = std::filesystem;
using namespace lognex;

const LocaleFormat kC = CLocaleFormat();
constexpr int kEntries = 1 << 20;
constexpr int kDistinct = 300;

// count entries from entry `first` on, about 100 bytes each, as the prober writes them.
std::string Entries(int first, int count) {
    std::string text;
    char header[128];
    for (int i = first; i < first + count; ++i) {
        const int error = i * 7919 % kDistinct;
        std::snprintf(header, sizeof header, "Tue Apr 17 %02d:%02d:%02d 2007 FILE: Unit%d.c at LINE: %d\r\n",
                      i / 3600 % 24, i / 60 % 60, i % 60, error % 40, 100 + error);
        text += header;
        text += "Wafer loading error - wafer not sensed on chuck pins (" + std::to_string(error) + ")\r\n";
    }
    return text;
}

// A log of kEntries entries followed once, with its tables written.
struct FollowedLog {
    FollowedLog() {
        folder = fs::temp_directory_path() / ("lognex-bench-follow-" + std::to_string(std::random_device{}()));
        fs::create_directories(folder / "db");
        path = (folder / "err_log.rpt").string();
        {
            std::ofstream log(path, std::ios::binary);
            for (int at = 0; at < kEntries; at += 4096) log << Entries(at, 4096);
        }
        CreateErrorTableFiles(folder / "db");
        aliases.AddAlias(kDatabaseAlias, (folder / "db").string());
        tables = std::make_unique<ErrorTables>(aliases);
        tables->Open();
        FollowLog(state, analysis, path, kC);
        StoreAnalysis(*tables, analysis);
        written = kEntries;
    }
    ~FollowedLog() {
        tables.reset();
        std::error_code ec;
        fs::remove_all(folder, ec);
    }

    fs::path folder;
    std::string path;
    AliasRegistry aliases;
    std::unique_ptr<ErrorTables> tables;
    FollowState state;
    Analysis analysis;
    int written = 0;
};

FollowedLog& Log() {
    static FollowedLog log;
    return log;
}

void BM_Append100ToAMillionEntryLog(benchmark::State& state) {
    FollowedLog& log = Log();
    for (auto _ : state) {
        state.PauseTiming();
        std::ofstream(log.path, std::ios::binary | std::ios::app) << Entries(log.written, 100);
        log.written += 100;
        state.ResumeTiming();
        const FollowResult result = FollowLog(log.state, log.analysis, log.path, kC);
        StoreAppendedEntries(*log.tables, log.analysis, result.firstNew);
        benchmark::DoNotOptimize(BuildSummary(log.analysis, kC, CalendarDefaults{}));
    }
    state.SetItemsProcessed(state.iterations() * 100);
}
BENCHMARK(BM_Append100ToAMillionEntryLog)->Unit(benchmark::kMillisecond);

void BM_FirstReadOfAMillionEntryLog(benchmark::State& state) {
    FollowedLog& log = Log();
    for (auto _ : state) {
        FollowState fresh;
        Analysis analysis;
        FollowLog(fresh, analysis, log.path, kC);
        benchmark::DoNotOptimize(analysis.Entries().data());
    }
    state.SetItemsProcessed(state.iterations() * log.written);
}
BENCHMARK(BM_FirstReadOfAMillionEntryLog)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
