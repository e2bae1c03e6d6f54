#include "tables/record_store.h"

#include <sqlite3.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "support/visible_text.h"
#include "tables/alias_registry.h"

namespace lognex {

namespace {

constexpr std::int64_t kSmallIntMin = -32768;
constexpr std::int64_t kSmallIntMax = 32767;

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return LowerAscii(x) == LowerAscii(y); });
}

std::vector<std::string> SplitFieldList(std::string_view list) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    while (start <= list.size()) {
        const std::size_t end = std::min(list.find(';', start), list.size());
        fields.emplace_back(list.substr(start, end - start));
        start = end + 1;
    }
    return fields;
}

std::string General(double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.15g", value);
    return buffer;
}

std::string JoinWhere(const std::string& first, const std::string& second) {
    if (first.empty()) return second;
    if (second.empty()) return first;
    return first + " AND " + second;
}

std::string TableFilePath(const std::string& folder, const std::string& table) {
    return (std::filesystem::path(folder) / (table + std::string(kTableFileExtension))).string();
}

[[noreturn]] void ThrowNoTable(const std::string& path) {
    throw StoreError("Table does not exist.\nFile: " + path);
}

}  // namespace

// ---------------------------------------------------------------- Database

Database::Database(const AliasRegistry& aliases, std::string aliasName)
    : aliases_(aliases), aliasName_(std::move(aliasName)) {}

Database::~Database() { Close(); }

void Database::Open() {
    if (connection_) return;
    const std::optional<std::string> folder = aliases_.FolderOf(aliasName_);
    if (!folder) throw StoreError("Unknown database alias: " + aliasName_);
    std::error_code error;
    if (!std::filesystem::is_directory(*folder, error)) {
        throw StoreError("The alias references a directory that does not exist.\nAlias: " + aliasName_ +
                         "\nFolder: " + *folder);
    }
    // The main database is a private in-memory one; every table file is
    // attached to it, so one connection holds one transaction for all.
    auto connection = std::make_unique<Connection>(":memory:", OpenOrCreateFlags());
    sqlite3_busy_timeout(connection->Handle(), kDatabaseTimeoutMs);
    connection->Execute("PRAGMA temp_store=MEMORY");
    connection_ = std::move(connection);
    folder_ = *folder;
    attached_.clear();
    inTransaction_ = false;
}

void Database::Close() noexcept {
    for (Table* table : tables_) table->Close();
    Rollback();
    try {
        Flush();
    } catch (...) {
        // Closing goes on; the files are emptied at the next start anyway.
    }
    connection_.reset();
    attached_.clear();
    folder_.clear();
    inTransaction_ = false;
}

Connection& Database::Conn() {
    if (!connection_) throw StoreError("The database is not open.");
    return *connection_;
}

void Database::Attach(const std::string& schema, const std::string& path) {
    if (std::find(attached_.begin(), attached_.end(), schema) != attached_.end()) return;
    Connection& connection = Conn();
    Flush();  // SQLite attaches only outside a transaction
    {
        Statement attach(connection.Handle(), "ATTACH DATABASE ?1 AS " + QuoteIdentifier(schema));
        attach.BindText(1, ExistingFileUri(std::filesystem::absolute(path).string()));
        attach.Step();
    }
    attached_.push_back(schema);
    // The tables are emptied at every start and every run, so a lost write
    // costs nothing: no fsync. The journal stays because failed changes are
    // rolled back and a crash must not leave a damaged file. Exclusive
    // locking spares the lock and cache checks; only this program uses the
    // files.
    const std::string s = QuoteIdentifier(schema);
    // A page cache large enough for a whole run keeps a batch from spilling
    // pages (and journal records) to disk before it is committed.
    connection.Execute("PRAGMA " + s + ".locking_mode=EXCLUSIVE; PRAGMA " + s + ".journal_mode=TRUNCATE; PRAGMA " +
                       s + ".synchronous=OFF; PRAGMA " + s + ".cache_size=-65536;");
}

// A transaction of the program is an SQLite savepoint inside a longer SQLite
// transaction, the batch, which is committed to the files by the first change
// that begins kBatchSpan or more after the batch did, before a file is
// attached, and when the database closes. Writing pages once per batch instead of once per change is what
// makes a run of one-change transactions fast; the files are emptied at
// every start, so the changes of an unfinished batch are never missed, and
// the journal keeps a crash from leaving a damaged file.
bool Database::StartTransactionIfNone() {
    if (inTransaction_) return false;
    Connection& connection = Conn();
    if (batchOpen_ && std::chrono::steady_clock::now() - batchStart_ >= kBatchSpan) Flush();
    try {
        if (connection.AutoCommit()) {
            connection.Run("BEGIN");
            batchOpen_ = true;
            batchStart_ = std::chrono::steady_clock::now();
        }
        connection.Run("SAVEPOINT change");
    } catch (...) {
        AfterFailure();
        throw;
    }
    inTransaction_ = true;
    return true;
}

void Database::Commit() {
    if (!inTransaction_) throw StoreError("No transaction is active.");
    try {
        Conn().Run("RELEASE change");
    } catch (...) {
        AfterFailure();
        throw;
    }
    inTransaction_ = false;
}

void Database::Rollback() noexcept {
    if (!inTransaction_) return;
    inTransaction_ = false;
    if (connection_ && !connection_->AutoCommit()) {
        try {
            connection_->Execute("ROLLBACK TO change; RELEASE change");
        } catch (...) {
            try {
                connection_->Execute("ROLLBACK");
            } catch (...) {
                // The connection keeps its own state; nothing more to do.
            }
        }
    }
    for (Table* table : tables_) table->AfterRollback();
}

void Database::Flush() {
    if (!connection_ || inTransaction_) return;
    batchOpen_ = false;
    if (connection_->AutoCommit()) return;
    try {
        connection_->Run("COMMIT");
    } catch (...) {
        AfterFailure();
        throw;
    }
}

void Database::AfterFailure() noexcept {
    // Some failures (a full disk, an I/O error) make SQLite roll back the
    // whole batch. The flags and the cursors then follow what is stored.
    if (connection_ && connection_->AutoCommit()) {
        inTransaction_ = false;
        batchOpen_ = false;
        for (Table* table : tables_) table->AfterRollback();
    }
}

void Database::Register(Table* table) { tables_.push_back(table); }

void Database::Unregister(Table* table) { std::erase(tables_, table); }

// ------------------------------------------------------------------- Table

Table::Table(Database& db, TableDef def) : db_(db), def_(std::move(def)), schema_(QuoteIdentifier(def_.name)) {
    orderName_ = def_.indexName;
    orderFields_ = def_.indexFieldNames;
    sequential_.name = std::string(kSequentialIndexName);
    db_.Register(this);
}

Table::~Table() {
    if (link_.master != nullptr) std::erase(link_.master->details_, this);
    for (Table* detail : details_) detail->link_ = {};
    db_.Unregister(this);
}

// ---- fields

int Table::FieldIndex(std::string_view field) const {
    for (std::size_t i = 0; i < def_.fields.size(); ++i) {
        if (SameName(def_.fields[i].name, field)) return static_cast<int>(i);
    }
    throw StoreError("Field '" + std::string(field) + "' not found");
}

std::string Table::DisplayName(int index) const {
    const FieldDef& field = Field(index);
    return field.displayName.empty() ? field.name : field.displayName;
}

Table::Value Table::TextValue(int field, std::string_view text) const {
    // A NUL is kept like any other byte: cutting there would lose the rest of
    // the text without a word.
    const auto width = static_cast<std::size_t>(std::max(Field(field).width, 0));
    Value value;
    value.set = true;
    value.text = std::string(text.substr(0, std::min(text.size(), width)));
    return value;
}

Table::Value Table::IntegerValue(int field, std::int64_t number) const {
    if (number < kSmallIntMin || number > kSmallIntMax) {
        throw StoreError(General(static_cast<double>(number)) + " is not a valid value for field '" +
                         DisplayName(field) + "'. The allowed range is " +
                         General(static_cast<double>(kSmallIntMin)) + " to " +
                         General(static_cast<double>(kSmallIntMax)));
    }
    Value value;
    value.set = true;
    value.number = number;
    return value;
}

Table::Value Table::ValueFromText(int field, std::string_view text) const {
    switch (Field(field).type) {
        case FieldType::Text:
            return TextValue(field, text);
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
        case FieldType::Timestamp:
            break;
    }
    throw StoreError("Field '" + DisplayName(field) + "' cannot be searched by text");
}

Table::Value& Table::PendingField(std::string_view field, FieldType type, int& index) {
    RequireOpen();
    if (mode_ == TableMode::Browse) throw StoreError("Table " + def_.name + " is not in edit or insert mode");
    index = FieldIndex(field);
    if (Field(index).type != type) throw StoreError("Field '" + DisplayName(index) + "' is of another type");
    return pending_[static_cast<std::size_t>(index)];
}

const Table::Value& Table::ReadField(std::string_view field, FieldType type) {
    RequireOpen();
    const int index = FieldIndex(field);
    if (Field(index).type != type) throw StoreError("Field '" + DisplayName(index) + "' is of another type");
    if (mode_ != TableMode::Browse) return pending_[static_cast<std::size_t>(index)];
    Resolve();
    return current_[static_cast<std::size_t>(index)];
}

void Table::SetString(std::string_view field, std::string_view text) {
    int index = 0;
    Value& slot = PendingField(field, FieldType::Text, index);
    slot = TextValue(index, text);
    changed_ = true;
    NotifyDetailsOfField(index);
}

void Table::SetInteger(std::string_view field, std::int64_t value) {
    int index = 0;
    Value& slot = PendingField(field, FieldType::SmallInt, index);
    slot = IntegerValue(index, value);
    changed_ = true;
    NotifyDetailsOfField(index);
}

void Table::SetDateTime(std::string_view field, DateTime value) {
    int index = 0;
    Value& slot = PendingField(field, FieldType::Timestamp, index);
    slot.set = true;
    slot.number = ToMilliseconds(value);
    changed_ = true;
    NotifyDetailsOfField(index);
}

std::string Table::GetString(std::string_view field) {
    const Value& value = ReadField(field, FieldType::Text);
    return value.set ? value.text : std::string();
}

int Table::GetInteger(std::string_view field) {
    const Value& value = ReadField(field, FieldType::SmallInt);
    return value.set ? static_cast<int>(value.number) : 0;
}

DateTime Table::GetDateTime(std::string_view field) {
    const Value& value = ReadField(field, FieldType::Timestamp);
    return value.set ? static_cast<double>(value.number) / static_cast<double>(kMillisecondsPerDay) : 0.0;
}

// ---- open, close, empty

void Table::RequireOpen() const {
    if (!open_) throw StoreError("Cannot perform this operation on a closed table (" + def_.name + ")");
}

void Table::Open() {
    if (open_) return;
    db_.Open();
    const std::string path = TableFilePath(db_.Folder(), def_.name);
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) ThrowNoTable(path);
    db_.Attach(def_.name, path);
    {
        Statement check(db_.Conn().Handle(),
                        "SELECT count(*) FROM " + schema_ + ".sqlite_schema WHERE type='table' AND name=?1");
        check.BindText(1, def_.name);
        check.Step();
        if (check.ColumnInt(0) == 0) ThrowNoTable(path);
    }
    ReadIndexes();
    order_ = !orderFields_.empty() ? &IndexForFields(orderFields_) : &IndexNamed(orderName_);
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
        db_.Open();
        const std::string path = TableFilePath(db_.Folder(), def_.name);
        std::error_code error;
        if (!std::filesystem::is_regular_file(path, error)) ThrowNoTable(path);
        db_.Attach(def_.name, path);
        db_.Conn().Execute(deleteSql);
        return;
    }
    FinishPending();
    Close();
    db_.Conn().Execute(deleteSql);
    Open();
}

void Table::ReadIndexes() {
    indexes_.clear();
    Connection& connection = db_.Conn();
    std::vector<std::string> partial;
    {
        Statement list(connection.Handle(), "SELECT name FROM pragma_index_list(?1, ?2) WHERE partial");
        list.BindText(1, def_.name);
        list.BindText(2, def_.name);
        while (list.Step()) partial.push_back(list.ColumnText(0));
    }
    // The schema table's rowid order is the order in which the indexes were
    // made, which decides "the first suitable index".
    Statement names(connection.Handle(),
                    "SELECT name FROM " + schema_ + ".sqlite_schema WHERE type='index' AND tbl_name=?1 ORDER BY rowid");
    names.BindText(1, def_.name);
    Statement columns(connection.Handle(),
                      "SELECT cid, name, desc, coll FROM pragma_index_xinfo(?1, ?2) WHERE key ORDER BY seqno");
    while (names.Step()) {
        IndexInfo index;
        index.name = names.ColumnText(0);
        index.usable = std::find(partial.begin(), partial.end(), index.name) == partial.end();
        columns.Reset();
        columns.BindText(1, index.name);
        columns.BindText(2, def_.name);
        while (columns.Step()) {
            KeyColumn key;
            const std::string column = columns.ColumnText(1);
            const auto found = std::find_if(def_.fields.begin(), def_.fields.end(),
                                            [&](const FieldDef& field) { return SameName(field.name, column); });
            if (columns.ColumnInt(0) < 0 || found == def_.fields.end()) {
                index.usable = false;
                continue;
            }
            key.field = static_cast<int>(found - def_.fields.begin());
            key.descending = columns.ColumnInt(2) != 0;
            key.collation = columns.ColumnText(3);
            index.keys.push_back(std::move(key));
        }
        indexes_.push_back(std::move(index));
    }
}

const Table::IndexInfo& Table::IndexNamed(std::string_view name) const {
    if (SameName(name, sequential_.name)) return sequential_;
    for (const IndexInfo& index : indexes_) {
        if (SameName(index.name, name)) {
            if (!index.usable) throw StoreError("Index " + index.name + " cannot order table " + def_.name);
            return index;
        }
    }
    throw StoreError("Index does not exist.\nIndex: " + std::string(name));
}

const Table::IndexInfo& Table::IndexForFields(std::string_view list) const {
    std::vector<int> wanted;
    for (const std::string& name : SplitFieldList(list)) {
        const auto found = std::find_if(def_.fields.begin(), def_.fields.end(),
                                        [&](const FieldDef& field) { return SameName(field.name, name); });
        if (found == def_.fields.end()) wanted.push_back(-1);
        else wanted.push_back(static_cast<int>(found - def_.fields.begin()));
    }
    const auto suits = [&](const IndexInfo& index, bool exact) {
        if (!index.usable || index.keys.size() < wanted.size()) return false;
        if (exact != (index.keys.size() == wanted.size())) return false;
        for (const KeyColumn& key : index.keys) {
            if (key.descending) return false;
        }
        for (std::size_t i = 0; i < wanted.size(); ++i) {
            if (index.keys[i].field != wanted[i]) return false;
        }
        return true;
    };
    for (bool exact : {true, false}) {
        for (const IndexInfo& index : indexes_) {
            if (suits(index, exact)) return index;
        }
    }
    throw StoreError("No index for fields '" + std::string(list) + "'");
}

// ---- order

void Table::SetIndex(std::string_view name) {
    if (!orderName_.empty() && SameName(orderName_, name)) return;
    if (!open_) {
        orderName_ = std::string(name);
        orderFields_.clear();
        return;
    }
    FinishPending();
    const IndexInfo& index = IndexNamed(name);
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
    const IndexInfo& index = IndexForFields(fields);
    ChangeOrder(index);
    orderFields_ = std::string(fields);
    orderName_.clear();
}

void Table::ChangeOrder(const IndexInfo& index) {
    const IndexInfo* previous = order_;
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

std::string Table::KeyTerm(std::size_t key) const {
    const KeyColumn& column = order_->keys[key];
    return QuoteIdentifier(Field(column.field).name) + " COLLATE " + column.collation;
}

void Table::BuildQueries() {
    const std::size_t linked = range_.size();
    if (linked > order_->keys.size()) {
        throw StoreError("The order of table " + def_.name + " does not suit its master link");
    }
    std::string columns = "rowid";
    for (const FieldDef& field : def_.fields) columns += ", " + QuoteIdentifier(field.name);
    const std::string from = schema_ + "." + schema_;
    selectHead_ = "SELECT " + columns + " FROM " + from;

    orderBy_ = " ORDER BY ";
    for (std::size_t i = 0; i < order_->keys.size(); ++i) {
        orderBy_ += KeyTerm(i) + (order_->keys[i].descending ? " DESC, " : ", ");
    }
    orderBy_ += "rowid";

    rangeWhere_.clear();
    for (std::size_t i = 0; i < linked; ++i) rangeWhere_ = JoinWhere(rangeWhere_, KeyTerm(i) + " IS ?");

    sqlFirst_ = SelectSql("");
    sqlCount_ = "SELECT count(*) FROM " + from + (rangeWhere_.empty() ? "" : " WHERE " + rangeWhere_);
    sqlByRowid_ = selectHead_ + " WHERE rowid = ?1";

    std::string names, marks, sets;
    for (std::size_t i = 0; i < def_.fields.size(); ++i) {
        const std::string name = QuoteIdentifier(def_.fields[i].name);
        names += (i ? ", " : "") + name;
        marks += (i ? ", ?" : "?");
        sets += (i ? ", " : "") + name + " = ?";
    }
    sqlInsert_ = "INSERT INTO " + from + " (" + names + ") VALUES (" + marks + ")";
    sqlUpdate_ = "UPDATE " + from + " SET " + sets + " WHERE rowid = ?";
    seekSql_.clear();
    findSql_.clear();
    builtRange_ = static_cast<int>(linked);
}

std::string Table::SelectSql(const std::string& where) const {
    const std::string all = JoinWhere(rangeWhere_, where);
    return selectHead_ + (all.empty() ? "" : " WHERE " + all) + orderBy_ + " LIMIT 1";
}

void Table::BindField(Statement& statement, int& parameter, int field, const Value& value) const {
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
    if (!statement.Step()) return false;
    currentRowid_ = statement.ColumnInt(0);
    current_.assign(def_.fields.size(), Value{});
    for (std::size_t i = 0; i < def_.fields.size(); ++i) {
        const int column = static_cast<int>(i) + 1;
        Value& value = current_[i];
        if (statement.ColumnIsNull(column)) continue;
        value.set = true;
        if (def_.fields[i].type == FieldType::Text) value.text = statement.ColumnText(column);
        else value.number = statement.ColumnInt(column);
    }
    hasCurrent_ = true;
    atEnd_ = false;
    needsFirst_ = false;
    return true;
}

void Table::SetCurrentEmpty() {
    hasCurrent_ = false;
    atEnd_ = true;
    needsFirst_ = false;
    current_.assign(def_.fields.size(), Value{});
}

bool Table::SeekFirst() {
    if (rangeEmpty_) {
        SetCurrentEmpty();
        return false;
    }
    Statement& statement = db_.Conn().Cached(sqlFirst_);
    ResetOnExit reset(statement);
    BindRange(statement);
    if (FetchInto(statement)) return true;
    SetCurrentEmpty();
    return false;
}

// The record after the current one in the order "keys, then rowid": first a
// later rowid among equal keys, then a later value of the last key under
// equal leading keys, and so on up to the first key that the link range
// does not fix. Each step is one index seek.
bool Table::SeekAfterCurrent() {
    const std::size_t keyCount = order_->keys.size();
    const std::size_t linked = range_.size();
    for (std::size_t level = keyCount + 1; level > linked; --level) {
        std::vector<SeekOp> ops;
        const bool onRowid = level == keyCount + 1;
        const std::size_t key = level - 1;
        if (onRowid) {
            ops = {SeekOp::Greater};
        } else {
            // NULL sorts first ascending and last descending.
            const bool set = current_[static_cast<std::size_t>(order_->keys[key].field)].set;
            if (!order_->keys[key].descending) ops = {set ? SeekOp::Greater : SeekOp::IsNotNull};
            else if (set) ops = {SeekOp::Less, SeekOp::IsNull};
        }
        for (SeekOp op : ops) {
            const int slot = static_cast<int>(level) * 4 + static_cast<int>(op);
            auto found = seekSql_.find(slot);
            if (found == seekSql_.end()) {
                std::string where;
                const std::size_t prefix = onRowid ? keyCount : key;
                for (std::size_t i = linked; i < prefix; ++i) where = JoinWhere(where, KeyTerm(i) + " IS ?");
                const std::string subject = onRowid ? std::string("rowid") : KeyTerm(key);
                switch (op) {
                    case SeekOp::Greater: where = JoinWhere(where, subject + " > ?"); break;
                    case SeekOp::Less: where = JoinWhere(where, subject + " < ?"); break;
                    case SeekOp::IsNotNull: where = JoinWhere(where, subject + " IS NOT NULL"); break;
                    case SeekOp::IsNull: where = JoinWhere(where, subject + " IS NULL"); break;
                }
                found = seekSql_.emplace(slot, SelectSql(where)).first;
            }
            Statement& statement = db_.Conn().Cached(found->second);
            ResetOnExit reset(statement);
            int parameter = BindRange(statement);
            const std::size_t prefix = onRowid ? keyCount : key;
            for (std::size_t i = linked; i < prefix; ++i) {
                const int field = order_->keys[i].field;
                BindField(statement, parameter, field, current_[static_cast<std::size_t>(field)]);
            }
            if (op == SeekOp::Greater || op == SeekOp::Less) {
                if (onRowid) {
                    statement.BindInt(parameter, currentRowid_);
                } else {
                    const int field = order_->keys[key].field;
                    BindField(statement, parameter, field, current_[static_cast<std::size_t>(field)]);
                }
            }
            // FetchInto replaces the current record only when a row is found.
            if (FetchInto(statement)) return true;
        }
    }
    return false;
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
        return;
    }
    if (SeekAfterCurrent()) NotifyDetails();
    else atEnd_ = true;
}

bool Table::AtEnd() {
    if (!open_) return true;
    Resolve();
    return atEnd_;
}

std::int64_t Table::RecordCount() {
    RequireOpen();
    if (rangeEmpty_) return 0;
    Statement& statement = db_.Conn().Cached(sqlCount_);
    ResetOnExit reset(statement);
    BindRange(statement);
    statement.Step();
    return statement.ColumnInt(0);
}

bool Table::FindKey(const std::vector<std::string>& values) {
    RequireOpen();
    FinishPending();
    if (values.empty() || values.size() > order_->keys.size()) {
        throw StoreError("FindKey: the order of table " + def_.name + " has " +
                         std::to_string(order_->keys.size()) + " key fields, " + std::to_string(values.size()) +
                         " values were given");
    }
    std::vector<Value> key;
    for (std::size_t i = 0; i < values.size(); ++i) key.push_back(ValueFromText(order_->keys[i].field, values[i]));
    if (rangeEmpty_) return false;
    auto found = findSql_.find(values.size());
    if (found == findSql_.end()) {
        std::string where;
        for (std::size_t i = 0; i < values.size(); ++i) where = JoinWhere(where, KeyTerm(i) + " IS ?");
        found = findSql_.emplace(values.size(), SelectSql(where)).first;
    }
    Statement& statement = db_.Conn().Cached(found->second);
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
    pending_.assign(def_.fields.size(), Value{});
    if (LinkInForce()) {
        for (std::size_t i = 0; i < range_.size(); ++i) {
            const int field = order_->keys[i].field;
            if (range_[i].set) {
                pending_[static_cast<std::size_t>(field)] =
                    Field(field).type == FieldType::Text ? TextValue(field, range_[i].text) : range_[i];
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
            throw StoreError("Field '" + DisplayName(static_cast<int>(i)) + "' must have a value");
        }
    }
    Connection& connection = db_.Conn();
    Statement& statement = connection.Cached(mode_ == TableMode::Insert ? sqlInsert_ : sqlUpdate_);
    ResetOnExit reset(statement);
    int parameter = 1;
    for (std::size_t i = 0; i < def_.fields.size(); ++i) {
        BindField(statement, parameter, static_cast<int>(i), pending_[i]);
    }
    if (mode_ == TableMode::Edit) statement.BindInt(parameter, currentRowid_);
    statement.Step();
    if (mode_ == TableMode::Insert) currentRowid_ = connection.LastInsertRowid();
    current_ = std::move(pending_);
    pending_.clear();
    hasCurrent_ = true;
    atEnd_ = false;
    needsFirst_ = false;
    mode_ = TableMode::Browse;
    changed_ = false;
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

// ---- master link

bool Table::LinkInForce() const { return link_.IsSet() && open_ && link_.master->IsOpen(); }

void Table::ComputeRange() {
    std::vector<Value> range;
    bool empty = false;
    if (LinkInForce()) {
        Table& master = *link_.master;
        const Record* source = nullptr;
        if (master.mode_ != TableMode::Browse) {
            source = &master.pending_;
        } else {
            master.Resolve();
            if (master.hasCurrent_) source = &master.current_;
        }
        for (const std::string& name : link_.fields) {
            const int field = master.FieldIndex(name);
            Value value = source != nullptr ? (*source)[static_cast<std::size_t>(field)] : Value{};
            if (!value.set) empty = true;
            range.push_back(std::move(value));
        }
    }
    rangeEmpty_ = empty;
    const bool rebuild = static_cast<int>(range.size()) != builtRange_;
    range_ = std::move(range);
    if (rebuild) BuildQueries();
}

void Table::MasterMoved(bool finishPending) {
    if (!open_) return;
    if (finishPending) {
        FinishPending();
        ComputeRange();
    } else {
        try {
            ComputeRange();
        } catch (...) {
            rangeEmpty_ = true;
        }
    }
    needsFirst_ = true;
}

void Table::NotifyDetails() {
    for (Table* detail : details_) detail->MasterMoved(true);
}

void Table::NotifyDetailsOfField(int field) {
    for (Table* detail : details_) {
        const auto& fields = detail->link_.fields;
        const bool linked = std::any_of(fields.begin(), fields.end(),
                                        [&](const std::string& name) { return SameName(name, Field(field).name); });
        if (linked) detail->MasterMoved(true);
    }
}

MasterLink Table::DetachMasterLink() {
    if (open_) FinishPending();
    MasterLink previous = link_;
    if (link_.master != nullptr) std::erase(link_.master->details_, this);
    link_ = {};
    if (open_) {
        ComputeRange();
        SeekFirst();
    }
    return previous;
}

void Table::AttachMasterLink(MasterLink link) {
    if (open_) FinishPending();
    if (link_.master != nullptr) std::erase(link_.master->details_, this);
    link_ = std::move(link);
    if (link_.master != nullptr) link_.master->details_.push_back(this);
    if (open_) {
        ComputeRange();
        SeekFirst();
    }
}

void Table::AfterRollback() noexcept {
    if (!open_) return;
    try {
        if (hasCurrent_) {
            Statement& statement = db_.Conn().Cached(sqlByRowid_);
            ResetOnExit reset(statement);
            statement.BindInt(1, currentRowid_);
            const bool atEnd = atEnd_;
            if (FetchInto(statement)) atEnd_ = atEnd;
            else SeekFirst();
        }
    } catch (...) {
        SetCurrentEmpty();
    }
    for (Table* detail : details_) detail->MasterMoved(false);
}

}  // namespace lognex
