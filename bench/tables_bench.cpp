// The aggregation's change pattern on table files in a temporary folder:
// per entry one FindKey on ErrorName and two one-change transactions.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "tables/error_tables.h"

namespace {

constexpr int kEntries = 16'384;
constexpr int kDistinctErrors = 300;

void AddEntry(lognex::ErrorTables& tables, const std::string& text, const std::string& location, int line,
              lognex::DateTime time) {
    lognex::Table& names = tables.tblError;
    lognex::Table& occur = tables.tblOccur;
    const auto addOccurrence = [&] {
        occur.Insert();
        occur.SetString(lognex::kErrorText, text);
        occur.SetString(lognex::kErrorLoc, location);
        occur.SetDateTime(lognex::kErrorTime, time);
        occur.SetInteger(lognex::kLogLine, line);
        occur.Post();
    };
    if (names.FindKey({text, location})) {
        lognex::RunChange(occur, addOccurrence);
        lognex::RunChange(names, [&] {
            names.Edit();
            names.SetInteger(lognex::kNumTime, names.GetInteger(lognex::kNumTime) + 1);
            names.Post();
        });
    } else {
        lognex::RunChange(names, [&] {
            names.Insert();
            names.SetString(lognex::kErrorText, text);
            names.SetString(lognex::kErrorLoc, location);
            names.SetInteger(lognex::kNumTime, 1);
            names.Post();
        });
        lognex::RunChange(occur, addOccurrence);
    }
}

void BM_AggregateEntries(benchmark::State& state) {
    std::string pattern = (std::filesystem::temp_directory_path() / "lognex-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        state.SkipWithError("no temporary folder");
        return;
    }
    const std::filesystem::path folder = pattern;
    lognex::CreateErrorTableFiles(folder);
    lognex::AliasRegistry aliases;
    aliases.AddAlias(lognex::kDatabaseAlias, folder.string());

    std::vector<std::pair<std::string, std::string>> errors;
    for (int i = 0; i < kDistinctErrors; ++i) {
        errors.emplace_back("Prober motion error " + std::to_string(i) + ": stage did not reach its target in time",
                            "CVT.c at LINE: " + std::to_string(1000 + i * 7));
    }
    {
        lognex::ErrorTables tables(aliases);
        tables.Open();
        for (auto _ : state) {
            tables.tblOccur.Empty();
            tables.tblError.Empty();
            tables.tblExcel.Empty();
            for (int i = 0; i < kEntries; ++i) {
                const auto& [text, location] = errors[static_cast<std::size_t>((i * 7919) % kDistinctErrors)];
                AddEntry(tables, text, location, 2 * i + 1, 38000.0 + i / 86400.0);
            }
        }
        state.counters["entries"] = kEntries;
        tables.Close();
    }
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_AggregateEntries)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
