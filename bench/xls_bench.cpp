// Export of a long log: 16,384 occurrences over about a month, a few dozen
// distinct errors, every time of day different.
#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <cstdio>
#include <filesystem>
#include <random>

#include "xls/compound_file.h"
#include "xls/export_worksheet.h"

namespace {

std::vector<lognex::ExportRow> LogRows(int count) {
    const char* errors[] = {"Stage timeout waiting for Z motion",
                            "Probe card not seated",
                            "Chuck vacuum lost",
                            "Wafer not found on chuck",
                            "Edge sensor failure",
                            "Prober to tester GPIB timeout",
                            "Index time exceeded",
                            "Auto-alignment failed: pattern not found"};
    const char* files[] = {"CVT.c", "PRB.c", "CHK.c", "WFR.c", "GPIB.c", "ALN.c"};
    std::mt19937 random(7);
    std::vector<lognex::ExportRow> rows;
    rows.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const int second = i * 160;  // about a month
        char date[16], time[16];
        std::snprintf(date, sizeof date, "%02d/%02d/2005", 1 + second / 86400 / 28 % 12, 1 + second / 86400 % 28);
        std::snprintf(time, sizeof time, "%02d:%02d:%02d", second / 3600 % 24, second / 60 % 60, second % 60);
        const unsigned e = random() % 8, f = random() % 6, line = 100 + random() % 40 * 97;
        rows.push_back(
            {date, time, std::string(errors[e]) + " - FILE: " + files[f] + " at LINE: " + std::to_string(line)});
    }
    return rows;
}

const std::string kSpan = "The log spans 28 days, 10 hours, 5 minutes, and 20 seconds";

void ReportMemory(benchmark::State& state, std::size_t outputBytes) {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["output_KiB"] = static_cast<double>(outputBytes) / 1024;
    state.counters["peak_rss_MiB"] = static_cast<double>(usage.ru_maxrss) / 1024;
}

// Layout, records and compound file, all in memory.
void BM_ExportInMemory(benchmark::State& state) {
    const auto rows = LogRows(static_cast<int>(state.range(0)));
    std::size_t size = 0;
    for (auto _ : state) {
        lognex::WorkbookWriter xls;
        lognex::LayOutExportSheet(xls, kSpan, rows);
        const std::string file = lognex::BuildCompoundFile(u"Workbook", xls.WorkbookStream());
        size = file.size();
        benchmark::DoNotOptimize(file.data());
    }
    ReportMemory(state, size);
}
BENCHMARK(BM_ExportInMemory)->Arg(16384)->Unit(benchmark::kMillisecond);

// The whole export as the command runs it, down to the renamed file.
void BM_WriteWorkbook(benchmark::State& state) {
    const auto rows = LogRows(static_cast<int>(state.range(0)));
    const std::filesystem::path file = std::filesystem::temp_directory_path() / "lognex-bench-Error Log.xls";
    for (auto _ : state) lognex::WriteWorkbook(kSpan, rows, file);
    ReportMemory(state, std::filesystem::file_size(file));
    std::filesystem::remove(file);
}
BENCHMARK(BM_WriteWorkbook)->Arg(16384)->Unit(benchmark::kMillisecond);

}  // namespace
