#include "tables/field_values.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <system_error>

#include "support/visible_text.h"
#include "tables/sqlite_db.h"

namespace lognex {

namespace {

std::string General(double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.15g", value);
    return buffer;
}

}  // namespace

std::string DisplayName(const FieldDef& field) { return field.displayName.empty() ? field.name : field.displayName; }

FieldValue TextValue(const FieldDef& field, std::string_view text) {
    // A NUL is kept like any other byte: cutting there would lose the rest of
    // the text without a word.
    const auto width = static_cast<std::size_t>(std::max(field.width, 0));
    FieldValue value;
    value.set = true;
    value.text = std::string(text.substr(0, std::min(text.size(), width)));
    return value;
}

FieldValue IntegerValue(const FieldDef& field, std::int64_t number) {
    if (number < kIntegerFieldMin || number > kIntegerFieldMax) {
        throw StoreError(General(static_cast<double>(number)) + " is not a valid value for field '" +
                         DisplayName(field) + "'. The allowed range is " +
                         General(static_cast<double>(kIntegerFieldMin)) + " to " +
                         General(static_cast<double>(kIntegerFieldMax)));
    }
    FieldValue value;
    value.set = true;
    value.number = number;
    return value;
}

FieldValue ValueFromText(const FieldDef& field, std::string_view text) {
    switch (field.type) {
        case FieldType::Text: return TextValue(field, text);
        case FieldType::SmallInt: {
            std::string_view digits = text;
            if (!digits.empty() && digits.front() == '+') digits.remove_prefix(1);
            std::int64_t number = 0;
            const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
            if (digits.empty() || error != std::errc() || end != digits.data() + digits.size()) {
                throw ConversionError(QuotedForMessage(text) + " is not a valid integer value");
            }
            return IntegerValue(field, number);
        }
        case FieldType::Timestamp: break;
    }
    throw StoreError("Field '" + DisplayName(field) + "' cannot be searched by text");
}

}  // namespace lognex
