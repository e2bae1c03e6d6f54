#include "logproc/analysis_store.h"

#include <algorithm>
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

// Where counting entry by entry stops, and what it leaves, for the entries
// from `from` on.
struct StorePlan {
    std::size_t names = 0;        // ErrorName records: the errors with ids below this
    std::size_t occurrences = 0;  // ErrorOccur records: the entries before this
    // Each error's count once the entries up to the stop are counted; 0 for
    // an error no counted entry touched.
    std::vector<std::int64_t> counts;
    std::vector<ErrorId> knownTouched;  // errors first seen before `from` that the entries counted
    std::optional<StoreError> failure;
};

StorePlan PlanStore(const Analysis& analysis, std::size_t from) {
    const std::vector<AnalysisEntry>& entries = analysis.Entries();
    const std::vector<DistinctError>& errors = analysis.Errors();
    StorePlan plan;
    plan.counts.assign(errors.size(), 0);
    plan.occurrences = from;
    for (std::size_t k = from; k < entries.size(); ++k) {
        const AnalysisEntry& entry = entries[k];
        const std::vector<std::uint32_t>& seen = errors[entry.error].occurrences;
        std::int64_t& count = plan.counts[entry.error];
        if (count == 0 && seen.front() < from) {
            // Known before: its count so far is its occurrences before `from`.
            count = std::lower_bound(seen.begin(), seen.end(), static_cast<std::uint32_t>(from)) - seen.begin();
            plan.knownTouched.push_back(entry.error);
        }
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

// The errors first seen from entry `from` on: the last ids.
std::size_t FirstNewError(const Analysis& analysis, std::size_t from) {
    const std::vector<DistinctError>& errors = analysis.Errors();
    std::size_t id = errors.size();
    while (id > 0 && errors[id - 1].occurrences.front() >= from) --id;
    return id;
}

void StoreFrom(ErrorTables& tables, const Analysis& analysis, std::size_t from) {
    const StorePlan plan = PlanStore(analysis, from);
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
    const std::size_t firstNew = std::min(FirstNewError(analysis, from), plan.names);

    RunChange(names, [&] {
        if (!plan.knownTouched.empty()) {
            const std::string order = names.GetIndex();
            names.SetIndex(kByErrorText);
            for (ErrorId id : plan.knownTouched) {
                if (!names.FindKey({errors[id].text, errors[id].location}))
                    throw StoreError("No record of the error \"" + errors[id].text + "\" in ErrorName");
                names.Edit();
                names.SetInteger(kNumTime, plan.counts[id]);
                names.Post();
            }
            if (!order.empty()) names.SetIndex(order);
        }
        names.AppendRecords(plan.names - firstNew, [&](std::size_t n, std::vector<Table::FieldInput>& record) {
            const std::size_t id = firstNew + n;
            record[nameText] = {.set = true, .text = errors[id].text};
            record[nameLoc] = {.set = true, .text = errors[id].location};
            record[nameCount] = {.set = true, .number = plan.counts[id]};
        });
        occur.AppendRecords(plan.occurrences - from, [&](std::size_t n, std::vector<Table::FieldInput>& record) {
            const AnalysisEntry& entry = entries[from + n];
            record[occurText] = {.set = true, .text = errors[entry.error].text};
            record[occurLoc] = {.set = true, .text = errors[entry.error].location};
            record[occurTime] = {.set = true, .number = ToMilliseconds(entry.when)};
            record[occurLine] = {.set = true, .number = entry.line.number};
        });
    });
    if (plan.failure) throw *plan.failure;
}

}  // namespace

void StoreAnalysis(ErrorTables& tables, const Analysis& analysis) { StoreFrom(tables, analysis, 0); }

void StoreAppendedEntries(ErrorTables& tables, const Analysis& analysis, std::size_t from) {
    StoreFrom(tables, analysis, from);
}

}  // namespace lognex
