// The record store: tables with a cursor, one database with one transaction.
//
// A Database is one SQLite connection to which every table's file (named
// after the table, extension ".ff2", in the folder an alias names) is
// attached. A Table is a cursor over one of those files: an order (an index
// of the file, or storage order), a current record, an AtEnd flag and a mode
// (browse, insert or edit) with a pending record whose fields are each set or
// missing. Cursor moves are index seeks from the current record's full key,
// which ends in the record's insertion number, so equal keys come in
// insertion order since the last Empty.
//
// Every failure is thrown as a StoreError (or another lognex::Error) whose
// text is meant for the user.
#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "support/date_time.h"
#include "tables/sqlite_db.h"

namespace lognex {

class AliasRegistry;
class Table;

enum class FieldType { Text, SmallInt, Timestamp };  // Timestamp: a DateTime kept to the millisecond

struct FieldDef {
    std::string name;
    FieldType type = FieldType::Text;
    int width = 0;  // characters kept by a Text field
    bool required = false;
    std::string displayName;  // the name messages use; empty means name
};

struct IndexKeyDef {
    std::string field;
    bool descending = false;
};

// An index as the table-file tool creates it. At run time the store reads the
// indexes from the file itself.
struct IndexDef {
    std::string name;
    std::vector<IndexKeyDef> keys;
    bool ignoreCase = false;  // ASCII letter case, for every text key
    bool unique = false;
};

struct TableDef {
    std::string name;
    std::vector<FieldDef> fields;
    std::vector<IndexDef> indexes;
    // The order in force from Open: an index by name, or the first suitable
    // index for a ';'-separated field list. Exactly one is set.
    std::string indexName;
    std::string indexFieldNames;
};

// The index every table has without it being stored: storage order, which is
// insertion order since the last Empty.
inline constexpr std::string_view kSequentialIndexName = "Sequential Access Index";

// The file of a table: its name with this extension, in the database folder.
inline constexpr std::string_view kTableFileExtension = ".ff2";

// How long committed transactions may wait in memory, at most, before a new
// transaction writes them to the files first. Writing a run's pages once
// instead of once per transaction is what makes one-change transactions fast.
inline constexpr std::chrono::milliseconds kBatchSpan{2000};

// The SQLite busy timeout of the database connection.
inline constexpr int kDatabaseTimeoutMs = 10'000;

enum class TableMode { Browse, Insert, Edit };

// A detail table's link to a master: the detail shows only the records whose
// leading key fields equal the master's current values of fields.
struct MasterLink {
    Table* master = nullptr;
    std::vector<std::string> fields;  // names on the master, in the detail's key order

    bool IsSet() const { return master != nullptr; }
};

// The database: one connection, reached through an alias, shared by its
// tables, with one transaction flag.
class Database {
public:
    // The database opens through aliasName, looked up in aliases when Open
    // runs. aliases must outlive the database.
    Database(const AliasRegistry& aliases, std::string aliasName);
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;
    ~Database();

    // Opens the connection when it is not open. Throws StoreError when the
    // alias is unknown or names a folder that does not exist ("The alias
    // references a directory that does not exist.").
    void Open();
    bool IsOpen() const { return connection_ != nullptr; }
    // Closes every open table of the database (discarding pending records),
    // rolls back an active transaction, flushes and closes the connection.
    void Close() noexcept;
    // The folder the open database reads its table files from.
    const std::string& Folder() const { return folder_; }

    // Starts a transaction and answers true when none is active; answers
    // false and does nothing when one is.
    bool StartTransactionIfNone();
    // Ends the transaction keeping its changes: every table shows them at
    // once, and the files get them with the next Flush. When the commit
    // fails the error is passed on and the transaction stays active (unless
    // the engine itself gave it up).
    void Commit();
    // Undoes the transaction's changes and ends it; tables whose current
    // record was undone move to a record that still exists. Does nothing
    // without an active transaction. Never throws.
    void Rollback() noexcept;
    bool InTransaction() const { return inTransaction_; }
    // Writes the committed changes held in memory to the table files (also
    // done by a transaction starting kBatchSpan after the last write, before
    // a table file is attached, and on Close). Does nothing while a transaction is active. Throws
    // StoreError.
    void Flush();

private:
    friend class Table;

    Connection& Conn();
    // Attaches the table file at path under schema (once per connection).
    void Attach(const std::string& schema, const std::string& path);
    void AfterFailure() noexcept;
    void Register(Table* table);
    void Unregister(Table* table);

    const AliasRegistry& aliases_;
    std::string aliasName_;
    std::string folder_;
    std::unique_ptr<Connection> connection_;
    std::vector<std::string> attached_;
    std::vector<Table*> tables_;
    bool inTransaction_ = false;
    bool batchOpen_ = false;
    std::chrono::steady_clock::time_point batchStart_;
};

class Table {
public:
    // A closed table of db defined by def. db must outlive the table.
    Table(Database& db, TableDef def);
    Table(const Table&) = delete;
    Table& operator=(const Table&) = delete;
    ~Table();

    const std::string& Name() const { return def_.name; }
    const TableDef& Definition() const { return def_; }
    Database& GetDatabase() { return db_; }
    bool IsOpen() const { return open_; }
    TableMode Mode() const { return mode_; }

    // Opens the database when needed, then the table's file from its folder
    // ("Table does not exist." when it is not there), selects the order and
    // stands on the first record. A detail shows its link range at once when
    // the master is open. Does nothing when the table is open.
    void Open();
    // Discards a pending record and closes the table.
    void Close() noexcept;
    // Removes every record. An open table first finishes its pending record
    // (storing it when changed), then stays open in the same order with
    // AtEnd true; a closed table stays closed. A failure while removing
    // leaves the table closed.
    void Empty();

    // Orders the table by the named index (letter case ignored); nothing
    // happens when that index is already in force. Throws "Index does not
    // exist." for an unknown name. On a closed table the name is checked at
    // Open.
    void SetIndex(std::string_view name);
    // Orders the table by the first index whose keys are exactly fields
    // (';'-separated), else the first whose keys begin with them; descending
    // and expression indexes are never chosen. Throws "No index for fields
    // '%s'" when there is none.
    void SetIndexFieldNames(std::string_view fields);
    // The name of the index chosen by name; empty when chosen by fields.
    std::string GetIndex() const;

    // First and Next finish a pending record first. After Next past the last
    // record AtEnd is true and the last record stays current.
    void First();
    void Next();
    bool AtEnd();
    // Records the table shows: all, or those of the link range.
    std::int64_t RecordCount();
    // Finishes a pending record, then looks in the current order for the
    // first record whose leading key fields equal values, each value cut or
    // converted as its key field's setter would. Found: it becomes current
    // and the answer is true. Not found: false, and the cursor is left as it
    // was. Throws when the order has fewer key fields than values.
    bool FindKey(const std::vector<std::string>& values);

    // Finishes a pending record and begins a new one with every field
    // missing. A linked detail takes its link fields from the master first
    // (that alone does not count as a change).
    void Insert();
    // Finishes a pending record and makes the current record pending; on a
    // table or range without records this is Insert.
    void Edit();
    // Stores the pending record: throws "Field '%s' must have a value" for
    // the first required field that is missing (the mode stays). Otherwise
    // the record is added or replaced, becomes current, and the mode returns
    // to browse.
    void Post();
    // Discards the pending record and returns to browse mode.
    void Cancel() noexcept;

    // Setters work on the pending record and mark it changed. Text keeps its
    // bytes, NULs included, up to the field's width. SetInteger
    // throws "%g is not a valid value for field '%s'. The allowed range is %g
    // to %g" outside -32768..32767 and leaves the field as it was. Date-times
    // are kept to the millisecond.
    void SetString(std::string_view field, std::string_view text);
    void SetInteger(std::string_view field, std::int64_t value);
    void SetDateTime(std::string_view field, DateTime value);
    // Getters read the pending record in insert or edit mode, else the
    // current one; a missing field reads as '' or 0.
    std::string GetString(std::string_view field);
    int GetInteger(std::string_view field);
    DateTime GetDateTime(std::string_view field);

    // Returns the link in force and removes it (after finishing a pending
    // record): the table then shows all its records in its order, from the
    // first.
    MasterLink DetachMasterLink();
    // Makes this table a detail of link.master (replacing any link) and,
    // when open, stands on the first record of the link range. The link is in
    // force while both tables are open; the master must outlive the link.
    void AttachMasterLink(MasterLink link);

private:
    struct Value {
        bool set = false;
        std::string text;
        std::int64_t number = 0;
    };
    using Record = std::vector<Value>;
    struct KeyColumn {
        int field = 0;
        bool descending = false;
        std::string collation;
    };
    struct IndexInfo {
        std::string name;
        std::vector<KeyColumn> keys;
        bool usable = true;  // false for expression and partial indexes
    };
    enum class SeekOp { Greater, Less, IsNotNull, IsNull };

    friend class Database;

    void RequireOpen() const;
    int FieldIndex(std::string_view field) const;
    const FieldDef& Field(int index) const { return def_.fields[static_cast<std::size_t>(index)]; }
    std::string DisplayName(int index) const;
    Value TextValue(int field, std::string_view text) const;
    Value IntegerValue(int field, std::int64_t number) const;
    Value ValueFromText(int field, std::string_view text) const;
    Value& PendingField(std::string_view field, FieldType type, int& index);
    const Value& ReadField(std::string_view field, FieldType type);

    void FinishPending();
    void ReadIndexes();
    const IndexInfo& IndexNamed(std::string_view name) const;
    const IndexInfo& IndexForFields(std::string_view list) const;
    void ChangeOrder(const IndexInfo& index);
    void BuildQueries();
    std::string SelectSql(const std::string& where) const;
    std::string KeyTerm(std::size_t key) const;
    void BindField(Statement& statement, int& parameter, int field, const Value& value) const;
    int BindRange(Statement& statement) const;
    bool FetchInto(Statement& statement);
    void SetCurrentEmpty();
    bool SeekFirst();
    bool SeekAfterCurrent();
    void Resolve();

    bool LinkInForce() const;
    void ComputeRange();
    void MasterMoved(bool finishPending);
    void NotifyDetails();
    void NotifyDetailsOfField(int field);
    void AfterRollback() noexcept;

    Database& db_;
    TableDef def_;
    std::string schema_;
    bool open_ = false;

    std::vector<IndexInfo> indexes_;
    std::string orderName_;    // chosen by name, or empty
    std::string orderFields_;  // chosen by fields, or empty
    const IndexInfo* order_ = nullptr;
    IndexInfo sequential_;

    // Queries of the current order and link, built when either changes.
    int builtRange_ = -1;
    std::string selectHead_;
    std::string orderBy_;
    std::string rangeWhere_;
    std::string sqlFirst_;
    std::string sqlCount_;
    std::string sqlInsert_;
    std::string sqlUpdate_;
    std::string sqlByRowid_;
    std::map<int, std::string> seekSql_;
    std::map<std::size_t, std::string> findSql_;

    bool hasCurrent_ = false;
    bool atEnd_ = true;
    bool needsFirst_ = false;  // a detail repositions lazily after the master moved
    std::int64_t currentRowid_ = 0;
    Record current_;

    TableMode mode_ = TableMode::Browse;
    Record pending_;
    bool changed_ = false;

    MasterLink link_;
    std::vector<Table*> details_;
    bool rangeEmpty_ = false;
    std::vector<Value> range_;
};

// Runs one change of table's database in a transaction of its own: when no
// transaction is active, starts one, runs change() (Insert or Edit, the
// setters, Post), commits and answers true; when one is active, skips the
// change and answers false. On any failure the transaction is rolled back and
// table's pending record discarded before the error goes on, so the next
// change starts clean.
template <typename Change>
bool RunChange(Table& table, Change&& change) {
    Database& db = table.GetDatabase();
    if (!db.StartTransactionIfNone()) return false;
    try {
        change();
        db.Commit();
    } catch (...) {
        table.Cancel();
        db.Rollback();
        throw;
    }
    return true;
}

}  // namespace lognex
