// Writing an analysis into the error tables.
#pragma once

#include <cstddef>
#include <cstdint>

#include "logproc/analysis.h"
#include "tables/error_tables.h"
#include "tables/field_values.h"

namespace lognex {

// The largest header line number ErrorOccur's LogLine holds; a run stops at
// the first entry past it.
inline constexpr std::uint32_t kLastStorableLine = static_cast<std::uint32_t>(kIntegerFieldMax);

// Fills the emptied ErrorName and ErrorOccur with what counting the entries
// one by one leaves in them: one ErrorName record per distinct error, in the
// order of first occurrence, with its count; one ErrorOccur record per
// entry, in log order. Both go in one transaction through one prepared insert
// per table, skipped without a word when a transaction is already active.
//
// Counting stops at the first entry that cannot be stored, and so does this:
// a header line past kLastStorableLine ("%g is not a valid value for field
// 'LogLine'..."), or an error's count past kIntegerFieldMax ("... 'NumTime' ..."). The
// entries before it are written; of the entry itself, a new error is written
// with count 1 and no occurrence, a known error's occurrence is written
// when only its count overflows. Then the failure is thrown.
void StoreAnalysis(ErrorTables& tables, const Analysis& analysis);

// Adds the entries of analysis from entry `from` on to tables that hold its
// entries before it (as StoreAnalysis or this wrote them), as counting them
// one by one would: a new error is inserted into ErrorName, a known one has
// its count raised, every entry is appended to ErrorOccur; one transaction,
// skipped when one is already active. Counting stops where StoreAnalysis
// says, with the same failure. The tables then hold what StoreAnalysis
// writes for the whole analysis.
void StoreAppendedEntries(ErrorTables& tables, const Analysis& analysis, std::size_t from);

}  // namespace lognex
