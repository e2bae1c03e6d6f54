#include "tables/table.h"

#include <algorithm>
#include <filesystem>
#include <span>
#include <system_error>

#include "support/ansi_text.h"
#include "support/platform_files.h"
#include "support/text_routines.h"

namespace lognex {

namespace {

std::string TableFilePath(const std::string& folder, const std::string& table) {
    return PathText(std::filesystem::path(folder) / (table + std::string(kTableFileExtension)));
}

bool SameValue(const FieldValue& a, const FieldValue& b) {
    return a.set == b.set && a.number == b.number && a.text == b.text;
}

[[noreturn]] void ThrowNoTable(const std::string& path) {
    throw StoreError("Table does not exist.\nFile: " + PathToAnsi(path));
}

}  // namespace

Table::Table(Database& db, TableDef def) : db_(db), def_(std::move(def)), schema_(QuoteIdentifier(def_.name)) {
    orderName_ = def_.indexName;
    orderFields_ = def_.indexFieldNames;
    db_.Register(this);
}

Table::~Table() {
    StopScan();
    if (link_.master != nullptr) std::erase(link_.master->details_, this);
    for (Table* detail : details_) detail->link_ = {};
    db_.Unregister(this);
}

// ---- open, close, empty

void Table::RequireOpen() const {
    if (!open_) throw StoreError("Cannot perform this operation on a closed table (" + def_.name + ")");
}

// Opens the database when needed and attaches the table's file; throws
// "Table does not exist." when the file is not there.
void Table::AttachFile() {
    db_.Open();
    const std::string path = TableFilePath(db_.Folder(), def_.name);
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) ThrowNoTable(path);
    db_.Attach(def_.name, path);
}

void Table::Open() {
    if (open_) return;
    AttachFile();
    {
        Statement check(db_.Conn().Handle(),
                        "SELECT count(*) FROM " + schema_ + ".sqlite_schema WHERE type='table' AND name=?1");
        check.BindText(1, def_.name);
        check.Step();
        if (check.ColumnInt(0) == 0) ThrowNoTable(TableFilePath(db_.Folder(), def_.name));
    }
    indexes_ = ReadTableIndexes(db_.Conn(), def_);
    order_ = !orderFields_.empty() ? &IndexForFields(indexes_, def_, orderFields_)
                                   : &IndexNamed(indexes_, orderName_, def_.name);
    if (orderFields_.empty()) orderName_ = order_->name;

    open_ = true;
    mode_ = TableMode::Browse;
    pending_.clear();
    changed_ = false;
    builtRange_ = -1;
    try {
        ComputeRange();
        SeekFirst();
        needsFirst_ = false;
    } catch (...) {
        Close();
        throw;
    }
    NotifyDetails();
}

void Table::Close() noexcept {
    StopScan();
    if (!open_) return;
    open_ = false;
    mode_ = TableMode::Browse;
    pending_.clear();
    changed_ = false;
    hasCurrent_ = false;
    atEnd_ = true;
    needsFirst_ = false;
    order_ = nullptr;
    indexes_.clear();
    range_.clear();
    rangeEmpty_ = false;
    // Details of a closed master show all their records.
    for (Table* detail : details_) detail->MasterMoved(false);
}

void Table::Empty() {
    const std::string deleteSql = "DELETE FROM " + schema_ + "." + schema_;
    if (!open_) {
        AttachFile();
        db_.BeforeWrite(false);
        db_.Conn().Execute(deleteSql);
        return;
    }
    FinishPending();
    Close();
    db_.BeforeWrite(false);  // every table's scan stops there
    db_.Conn().Execute(deleteSql);
    Open();
}

// ---- order

void Table::SetIndex(std::string_view name) {
    if (!orderName_.empty() && EqualsIgnoringAsciiCase(orderName_, name)) return;
    if (!open_) {
        orderName_ = std::string(name);
        orderFields_.clear();
        return;
    }
    FinishPending();
    const TableIndex& index = IndexNamed(indexes_, name, def_.name);
    ChangeOrder(index);
    orderName_ = index.name;
    orderFields_.clear();
}

void Table::SetIndexFieldNames(std::string_view fields) {
    if (orderName_.empty() && orderFields_ == fields) return;
    if (!open_) {
        orderFields_ = std::string(fields);
        orderName_.clear();
        return;
    }
    FinishPending();
    const TableIndex& index = IndexForFields(indexes_, def_, fields);
    ChangeOrder(index);
    orderFields_ = std::string(fields);
    orderName_.clear();
}

void Table::ChangeOrder(const TableIndex& index) {
    const TableIndex* previous = order_;
    order_ = &index;
    try {
        BuildQueries();
    } catch (...) {
        order_ = previous;
        BuildQueries();
        throw;
    }
    // The current record stays current; its key in the new order comes from
    // its fields. Details follow as after any move of the master.
    NotifyDetails();
}

std::string Table::GetIndex() const { return orderName_; }

// ---- queries

void Table::BuildQueries() {
    StopScan();
    sql_ = CursorSql(def_, order_->keys, range_.size());
    builtRange_ = static_cast<int>(range_.size());
}

void Table::BindField(Statement& statement, int& parameter, int field, const FieldValue& value) const {
    if (!value.set) {
        statement.BindNull(parameter++);
    } else if (Field(field).type == FieldType::Text) {
        statement.BindText(parameter++, value.text);
    } else {
        statement.BindInt(parameter++, value.number);
    }
}

int Table::BindRange(Statement& statement) const {
    int parameter = 1;
    for (std::size_t i = 0; i < range_.size(); ++i) {
        BindField(statement, parameter, order_->keys[i].field, range_[i]);
    }
    return parameter;
}

bool Table::FetchInto(Statement& statement) {
    if (&statement != scan_) StopScan();  // another query moves the cursor
    if (!statement.Step()) return false;
    currentRowid_ = statement.ColumnInt(0);
    // The values are read into the record in place, reusing its texts.
    current_.resize(def_.fields.size());
    for (std::size_t i = 0; i < def_.fields.size(); ++i) {
        const int column = static_cast<int>(i) + 1;
        FieldValue& value = current_[i];
        value.set = !statement.ColumnIsNull(column);
        value.number = 0;
        value.text.clear();
        if (!value.set) continue;
        if (def_.fields[i].type == FieldType::Text)
            statement.ColumnTextInto(column, value.text);
        else
            value.number = statement.ColumnInt(column);
    }
    hasCurrent_ = true;
    atEnd_ = false;
    needsFirst_ = false;
    return true;
}

void Table::SetCurrentEmpty() {
    StopScan();
    hasCurrent_ = false;
    atEnd_ = true;
    needsFirst_ = false;
    current_.assign(def_.fields.size(), FieldValue{});
}

// The first record of the range, from a query over the whole range in order
// that stays running, so that Next can take the following records from it.
bool Table::SeekFirst() {
    StopScan();
    if (rangeEmpty_) {
        SetCurrentEmpty();
        return false;
    }
    const std::string& first = sql_.First();
    constexpr std::string_view kLimit = " LIMIT 1";
    const std::string whole = first.ends_with(kLimit) ? first.substr(0, first.size() - kLimit.size()) : first;
    Statement& statement = db_.Conn().Cached(whole);
    BindRange(statement);
    scan_ = &statement;
    try {
        if (FetchInto(statement)) return true;
    } catch (...) {
        StopScan();
        throw;
    }
    SetCurrentEmpty();
    return false;
}

void Table::StopScan() noexcept {
    if (scan_ != nullptr) scan_->Reset();
    scan_ = nullptr;
}

namespace {

// The comparisons that find a later record at a key level, tried in turn:
// a later value of an ascending key is greater, and NULL sorts first; a
// later value of a descending key is less, and NULL sorts last.
std::span<const SeekOp> SeekOpsFor(bool descending, bool set) {
    static constexpr SeekOp kGreater[] = {SeekOp::Greater};
    static constexpr SeekOp kIsNotNull[] = {SeekOp::IsNotNull};
    static constexpr SeekOp kLessThenNull[] = {SeekOp::Less, SeekOp::IsNull};
    if (!descending) return set ? std::span<const SeekOp>(kGreater) : std::span<const SeekOp>(kIsNotNull);
    if (set) return kLessThenNull;
    return {};  // after a NULL of a descending key nothing follows under equal leading keys
}

}  // namespace

// The record after the current one in the order "keys, then rowid": first a
// later rowid among equal keys, then a later value of the last key under
// equal leading keys, and so on up to the first key that the link range
// does not fix. Each step is one index seek.
bool Table::SeekAfterCurrent() {
    const std::size_t keyCount = order_->keys.size();
    if (SeekAt(keyCount + 1, SeekOp::Greater)) return true;
    for (std::size_t level = keyCount; level > range_.size(); --level) {
        const KeyColumn& key = order_->keys[level - 1];
        const bool set = current_[static_cast<std::size_t>(key.field)].set;
        for (SeekOp op : SeekOpsFor(key.descending, set)) {
            if (SeekAt(level, op)) return true;
        }
    }
    return false;
}

// One seek of SeekAfterCurrent at level (see CursorSql::Seek), from the
// current record's values. The current record is replaced only when a
// record is found.
bool Table::SeekAt(std::size_t level, SeekOp op) {
    Statement& statement = db_.Conn().Cached(sql_.Seek(level, op));
    ResetOnExit reset(statement);
    int parameter = BindRange(statement);
    for (std::size_t i = range_.size(); i + 1 < level; ++i) {
        const int field = order_->keys[i].field;
        BindField(statement, parameter, field, current_[static_cast<std::size_t>(field)]);
    }
    if (op == SeekOp::Greater || op == SeekOp::Less) {
        if (level > order_->keys.size()) {
            statement.BindInt(parameter, currentRowid_);
        } else {
            const int field = order_->keys[level - 1].field;
            BindField(statement, parameter, field, current_[static_cast<std::size_t>(field)]);
        }
    }
    return FetchInto(statement);
}

void Table::Resolve() {
    if (needsFirst_) SeekFirst();
}

// ---- cursor

void Table::FinishPending() {
    if (mode_ == TableMode::Browse) return;
    if (changed_) {
        Post();
    } else {
        mode_ = TableMode::Browse;
        pending_.clear();
    }
}

void Table::First() {
    RequireOpen();
    FinishPending();
    SeekFirst();
    NotifyDetails();
}

void Table::Next() {
    RequireOpen();
    FinishPending();
    Resolve();
    if (!hasCurrent_ || atEnd_) {
        atEnd_ = true;
        StopScan();
        return;
    }
    bool found = false;
    if (scan_ != nullptr) {
        try {
            found = FetchInto(*scan_);
        } catch (...) {
            StopScan();
            throw;
        }
        if (!found) StopScan();
    } else {
        found = SeekAfterCurrent();
    }
    if (found)
        NotifyDetails();
    else
        atEnd_ = true;
}

bool Table::AtEnd() {
    if (!open_) return true;
    Resolve();
    return atEnd_;
}

std::int64_t Table::RecordCount() {
    RequireOpen();
    if (rangeEmpty_) return 0;
    Statement& statement = db_.Conn().Cached(sql_.Count());
    ResetOnExit reset(statement);
    BindRange(statement);
    statement.Step();
    return statement.ColumnInt(0);
}

bool Table::FindKey(const std::vector<std::string>& values) {
    RequireOpen();
    FinishPending();
    if (values.empty() || values.size() > order_->keys.size()) {
        throw StoreError("FindKey: the order of table " + def_.name + " has " + std::to_string(order_->keys.size()) +
                         " key fields, " + std::to_string(values.size()) + " values were given");
    }
    std::vector<FieldValue> key;
    for (std::size_t i = 0; i < values.size(); ++i)
        key.push_back(ValueFromText(Field(order_->keys[i].field), values[i]));
    if (rangeEmpty_) return false;
    Statement& statement = db_.Conn().Cached(sql_.Find(values.size()));
    ResetOnExit reset(statement);
    int parameter = BindRange(statement);
    for (std::size_t i = 0; i < key.size(); ++i) BindField(statement, parameter, order_->keys[i].field, key[i]);
    if (!FetchInto(statement)) return false;  // the cursor stays where it was
    NotifyDetails();
    return true;
}

void Table::Insert() {
    RequireOpen();
    FinishPending();
    // Every field missing; the record's texts keep their storage for reuse.
    pending_.resize(def_.fields.size());
    for (FieldValue& value : pending_) {
        value.set = false;
        value.text.clear();
        value.number = 0;
    }
    if (LinkInForce()) {
        for (std::size_t i = 0; i < range_.size(); ++i) {
            const int field = order_->keys[i].field;
            if (range_[i].set) {
                pending_[static_cast<std::size_t>(field)] =
                    Field(field).type == FieldType::Text ? TextValue(Field(field), range_[i].text) : range_[i];
            }
        }
    }
    changed_ = false;
    mode_ = TableMode::Insert;
}

void Table::Edit() {
    RequireOpen();
    FinishPending();
    Resolve();
    if (!hasCurrent_) {
        Insert();
        return;
    }
    pending_ = current_;
    changed_ = false;
    mode_ = TableMode::Edit;
}

void Table::Post() {
    RequireOpen();
    if (mode_ == TableMode::Browse) throw StoreError("Table " + def_.name + " is not in edit or insert mode");
    for (std::size_t i = 0; i < def_.fields.size(); ++i) {
        if (def_.fields[i].required && !pending_[i].set) {
            throw StoreError("Field '" + DisplayName(def_.fields[i]) + "' must have a value");
        }
    }
    const bool inserting = mode_ == TableMode::Insert;
    // An edit writes only the fields it changed, so that SQLite leaves the
    // indexes alone that do not hold them (raising a count then touches the
    // count's index, not the text index).
    std::vector<std::size_t> fields;
    for (std::size_t i = 0; i < def_.fields.size(); ++i) {
        if (inserting || !SameValue(pending_[i], current_[i])) fields.push_back(i);
    }
    std::string partialUpdate;
    if (!inserting && !fields.empty() && fields.size() < def_.fields.size()) {
        partialUpdate = "UPDATE " + schema_ + "." + schema_ + " SET ";
        for (std::size_t i : fields) {
            partialUpdate += (i == fields.front() ? "" : ", ") + QuoteIdentifier(def_.fields[i].name) + " = ?";
        }
        partialUpdate += " WHERE rowid = ?";
    } else if (!inserting) {
        fields.clear();
        for (std::size_t i = 0; i < def_.fields.size(); ++i) fields.push_back(i);
    }
    Connection& connection = db_.Conn();
    Statement& statement = connection.Cached(inserting               ? sql_.Insert()
                                             : partialUpdate.empty() ? sql_.Update()
                                                                     : partialUpdate);
    ResetOnExit reset(statement);
    int parameter = 1;
    for (std::size_t i : fields) BindField(statement, parameter, static_cast<int>(i), pending_[i]);
    if (!inserting) statement.BindInt(parameter, currentRowid_);
    StopScan();
    db_.BeforeWrite(true);
    statement.Step();
    if (inserting) currentRowid_ = connection.LastInsertRowid();
    // The inverse of this write, should the transaction be rolled back.
    if (inserting)
        db_.AfterInsert(schema_, currentRowid_);
    else
        db_.AfterUpdate(sql_.Update(), def_, current_, currentRowid_);
    current_.swap(pending_);  // the old values' storage serves the next pending record
    hasCurrent_ = true;
    atEnd_ = false;
    needsFirst_ = false;
    mode_ = TableMode::Browse;
    changed_ = false;
    NotifyDetails();
}

void Table::AppendRecords(std::size_t count, const RecordFiller& fill) {
    RequireOpen();
    FinishPending();
    if (count == 0) return;
    Statement& statement = db_.Conn().Cached(sql_.Insert());
    StopScan();
    // Many writes, no single inverse: a savepoint stands for them.
    db_.BeforeWrite(false);
    std::vector<FieldInput> record(def_.fields.size());
    for (std::size_t n = 0; n < count; ++n) {
        std::fill(record.begin(), record.end(), FieldInput{});
        fill(n, record);
        ResetOnExit reset(statement);
        for (std::size_t i = 0; i < def_.fields.size(); ++i) {
            const FieldDef& field = def_.fields[i];
            const FieldInput& value = record[i];
            const int parameter = static_cast<int>(i) + 1;
            if (!value.set) {
                if (field.required) throw StoreError("Field '" + DisplayName(field) + "' must have a value");
                statement.BindNull(parameter);
            } else if (field.type == FieldType::Text) {
                statement.BindTextInPlace(parameter,
                                          value.text.substr(0, static_cast<std::size_t>(std::max(field.width, 0))));
            } else {
                if (field.type == FieldType::SmallInt) IntegerValue(field, value.number);  // throws outside the range
                statement.BindInt(parameter, value.number);
            }
        }
        statement.Step();
    }
    SeekFirst();
    NotifyDetails();
}

void Table::Cancel() noexcept {
    if (mode_ == TableMode::Browse) return;
    const bool wasChanged = changed_;
    mode_ = TableMode::Browse;
    pending_.clear();
    changed_ = false;
    // Setting a key field of the pending record moved the details' range;
    // it goes back to the current record.
    if (wasChanged) {
        for (Table* detail : details_) detail->MasterMoved(false);
    }
}

void Table::AfterRollback() noexcept {
    StopScan();
    if (!open_) return;
    try {
        if (hasCurrent_) {
            Statement& statement = db_.Conn().Cached(sql_.ByRowid());
            ResetOnExit reset(statement);
            statement.BindInt(1, currentRowid_);
            const bool atEnd = atEnd_;
            if (FetchInto(statement))
                atEnd_ = atEnd;
            else
                SeekFirst();
        }
    } catch (...) {
        SetCurrentEmpty();
    }
    for (Table* detail : details_) detail->MasterMoved(false);
}

}  // namespace lognex
