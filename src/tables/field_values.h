// The values a record holds, and how a setter's argument becomes one.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tables/table_def.h"

namespace lognex {

// One field of a record: missing (set false), or its text (Text fields) or
// number (SmallInt, and Timestamp as whole milliseconds).
struct FieldValue {
    bool set = false;
    std::string text;
    std::int64_t number = 0;
};

// A record's values in the order of its table's fields.
using RecordValues = std::vector<FieldValue>;

// The name messages use for field.
std::string DisplayName(const FieldDef& field);

// text as field keeps it: its bytes, NULs included, up to the field's width.
FieldValue TextValue(const FieldDef& field, std::string_view text);

// The range of a SmallInt field: 32 bits, so that a line number or a count
// of a log of any length a run reads fits.
inline constexpr std::int64_t kIntegerFieldMin = -2147483648LL;
inline constexpr std::int64_t kIntegerFieldMax = 2147483647LL;

// number for a SmallInt field; throws StoreError "%g is not a valid value for
// field '%s'. The allowed range is %g to %g" outside
// kIntegerFieldMin..kIntegerFieldMax.
FieldValue IntegerValue(const FieldDef& field, std::int64_t number);

// A search value given as text, converted as the field's setter would:
// Text is cut as TextValue does; SmallInt reads an optional '+' and decimal
// digits (else ConversionError "'%s' is not a valid integer value"), then as
// IntegerValue. A Timestamp cannot be searched by text (StoreError).
FieldValue ValueFromText(const FieldDef& field, std::string_view text);

}  // namespace lognex
