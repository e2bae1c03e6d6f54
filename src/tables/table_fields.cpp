// The field access of a Table: setters on the pending record, getters on the
// pending or current record.
#include "support/text_routines.h"
#include "tables/table.h"

namespace lognex {

int Table::FieldIndex(std::string_view field) const {
    // Callers name fields as defined, so an exact match is tried first.
    for (std::size_t i = 0; i < def_.fields.size(); ++i) {
        if (def_.fields[i].name == field) return static_cast<int>(i);
    }
    for (std::size_t i = 0; i < def_.fields.size(); ++i) {
        if (EqualsIgnoringAsciiCase(def_.fields[i].name, field)) return static_cast<int>(i);
    }
    throw StoreError("Field '" + std::string(field) + "' not found");
}

int Table::PendingFieldIndex(std::string_view field, FieldType type) const {
    RequireOpen();
    if (mode_ == TableMode::Browse) throw StoreError("Table " + def_.name + " is not in edit or insert mode");
    const int index = FieldIndex(field);
    if (Field(index).type != type) throw StoreError("Field '" + DisplayName(Field(index)) + "' is of another type");
    return index;
}

void Table::SetPendingValue(int index, FieldValue value) {
    pending_[static_cast<std::size_t>(index)] = std::move(value);
    changed_ = true;
    NotifyDetailsOfField(index);
}

const FieldValue& Table::ReadField(std::string_view field, FieldType type) {
    RequireOpen();
    const int index = FieldIndex(field);
    if (Field(index).type != type) throw StoreError("Field '" + DisplayName(Field(index)) + "' is of another type");
    if (mode_ != TableMode::Browse) return pending_[static_cast<std::size_t>(index)];
    Resolve();
    return current_[static_cast<std::size_t>(index)];
}

void Table::SetString(std::string_view field, std::string_view text) {
    const int index = PendingFieldIndex(field, FieldType::Text);
    SetPendingValue(index, TextValue(Field(index), text));
}

void Table::SetInteger(std::string_view field, std::int64_t value) {
    const int index = PendingFieldIndex(field, FieldType::SmallInt);
    SetPendingValue(index, IntegerValue(Field(index), value));
}

void Table::SetDateTime(std::string_view field, DateTime value) {
    const int index = PendingFieldIndex(field, FieldType::Timestamp);
    SetPendingValue(index, FieldValue{.set = true, .number = ToMilliseconds(value)});
}

std::string Table::GetString(std::string_view field) {
    const FieldValue& value = ReadField(field, FieldType::Text);
    return value.set ? value.text : std::string();
}

int Table::GetInteger(std::string_view field) {
    const FieldValue& value = ReadField(field, FieldType::SmallInt);
    return value.set ? static_cast<int>(value.number) : 0;
}

DateTime Table::GetDateTime(std::string_view field) {
    const FieldValue& value = ReadField(field, FieldType::Timestamp);
    return value.set ? static_cast<double>(value.number) / static_cast<double>(kMillisecondsPerDay) : 0.0;
}

}  // namespace lognex
