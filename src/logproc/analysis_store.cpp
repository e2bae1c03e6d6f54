#include "logproc/analysis_store.h"

#include <optional>
#include <string_view>
#include <vector>

#include "tables/field_values.h"

namespace lognex {
namespace {

constexpr std::int64_t kLargestCount = kIntegerFieldMax;

std::size_t FieldAt(const TableDef& def, std::string_view name) {
    for (std::size_t i = 0; i < def.fields.size(); ++i)
        if (def.fields[i].name == name) return i;
    throw StoreError("No field " + std::string(name) + " in table " + def.name);
}

// The failure of setting field to a value outside its range, as the setter raises it.
StoreError RangeFailure(const TableDef& def, std::string_view field, std::int64_t value) {
    try {
        IntegerValue(def.fields[FieldAt(def, field)], value);
    } catch (const StoreError& failure) {
        return failure;
    }
    return StoreError(std::to_string(value) + " is not a valid value for field '" + std::string(field) + "'");
}

// Where counting entry by entry stops, and what it leaves.
struct StorePlan {
    std::size_t names = 0;        // ErrorName records: the errors with ids below this
    std::size_t occurrences = 0;  // ErrorOccur records: the entries before this
    std::vector<std::int64_t> counts;
    std::optional<StoreError> failure;
};

StorePlan PlanStore(const Analysis& analysis) {
    const std::vector<AnalysisEntry>& entries = analysis.Entries();
    StorePlan plan;
    plan.counts.assign(analysis.Errors().size(), 0);
    for (std::size_t k = 0; k < entries.size(); ++k) {
        const AnalysisEntry& entry = entries[k];
        std::int64_t& count = plan.counts[entry.error];
        // Ids come in order of first occurrence: a new error is the next id.
        if (count == 0) plan.names = entry.error + std::size_t{1};
        if (entry.line.number > kLastStorableLine) {
            if (count == 0) count = 1;  // a new error is stored before its occurrence fails
            plan.failure = RangeFailure(ErrorOccurTableDef(), kLogLine, entry.line.number);
            return plan;
        }
        plan.occurrences = k + 1;
        if (count == kLargestCount) {
            // The occurrence is stored before the count is raised, which fails.
            plan.failure = RangeFailure(ErrorNameTableDef(), kNumTime, count + 1);
            return plan;
        }
        ++count;
    }
    return plan;
}

}  // namespace

void StoreAnalysis(ErrorTables& tables, const Analysis& analysis) {
    const StorePlan plan = PlanStore(analysis);
    const std::vector<DistinctError>& errors = analysis.Errors();
    const std::vector<AnalysisEntry>& entries = analysis.Entries();
    Table& names = tables.errorNames;
    Table& occur = tables.occurrences;
    const TableDef& nameDef = names.Definition();
    const TableDef& occurDef = occur.Definition();
    const std::size_t nameText = FieldAt(nameDef, kErrorText), nameLoc = FieldAt(nameDef, kErrorLoc),
                      nameCount = FieldAt(nameDef, kNumTime);
    const std::size_t occurText = FieldAt(occurDef, kErrorText), occurLoc = FieldAt(occurDef, kErrorLoc),
                      occurTime = FieldAt(occurDef, kErrorTime), occurLine = FieldAt(occurDef, kLogLine);

    RunChange(names, [&] {
        names.AppendRecords(plan.names, [&](std::size_t id, std::vector<Table::FieldInput>& record) {
            record[nameText] = {.set = true, .text = errors[id].text};
            record[nameLoc] = {.set = true, .text = errors[id].location};
            record[nameCount] = {.set = true, .number = plan.counts[id]};
        });
        occur.AppendRecords(plan.occurrences, [&](std::size_t k, std::vector<Table::FieldInput>& record) {
            const AnalysisEntry& entry = entries[k];
            record[occurText] = {.set = true, .text = errors[entry.error].text};
            record[occurLoc] = {.set = true, .text = errors[entry.error].location};
            record[occurTime] = {.set = true, .number = ToMilliseconds(entry.when)};
            record[occurLine] = {.set = true, .number = entry.line.number};
        });
    });
    if (plan.failure) throw *plan.failure;
}

}  // namespace lognex
