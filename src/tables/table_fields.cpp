// The field access of a Table: setters on the pending record, getters on the
// pending or current record.
#include "support/text_routines.h"
#include "tables/table.h"

namespace lognex {

int Table::FieldIndex(std::string_view field) const {
    for (std::size_t i = 0; i < def_.fields.size(); ++i) {
        if (EqualsIgnoringAsciiCase(def_.fields[i].name, field)) return static_cast<int>(i);
    }
    throw StoreError("Field '" + std::string(field) + "' not found");
}

FieldValue& Table::PendingField(std::string_view field, FieldType type, int& index) {
    RequireOpen();
    if (mode_ == TableMode::Browse) throw StoreError("Table " + def_.name + " is not in edit or insert mode");
    index = FieldIndex(field);
    if (Field(index).type != type) throw StoreError("Field '" + DisplayName(Field(index)) + "' is of another type");
    return pending_[static_cast<std::size_t>(index)];
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
    int index = 0;
    FieldValue& slot = PendingField(field, FieldType::Text, index);
    slot = TextValue(Field(index), text);
    changed_ = true;
    NotifyDetailsOfField(index);
}

void Table::SetInteger(std::string_view field, std::int64_t value) {
    int index = 0;
    FieldValue& slot = PendingField(field, FieldType::SmallInt, index);
    slot = IntegerValue(Field(index), value);
    changed_ = true;
    NotifyDetailsOfField(index);
}

void Table::SetDateTime(std::string_view field, DateTime value) {
    int index = 0;
    FieldValue& slot = PendingField(field, FieldType::Timestamp, index);
    slot.set = true;
    slot.number = ToMilliseconds(value);
    changed_ = true;
    NotifyDetailsOfField(index);
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
