// A table of the record store: a cursor over one table file of a Database.
//
// A Table has an order (an index of the file, or storage order), a current
// record, an AtEnd flag and a mode (browse, insert or edit) with a pending
// record whose fields are each set or missing. Cursor moves are index seeks
// from the current record's full key, which ends in the record's insertion
// number, so equal keys come in insertion order since the last Empty. A
// table can be the detail of a master table (MasterLink).
//
// Every failure is thrown as a StoreError (or another lognex::Error) whose
// text is meant for the user.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "support/date_time.h"
#include "tables/cursor_sql.h"
#include "tables/database.h"
#include "tables/field_values.h"
#include "tables/table_def.h"
#include "tables/table_indexes.h"

namespace lognex {

enum class TableMode { Browse, Insert, Edit };

// A detail table's link to a master: the detail shows only the records whose
// leading key fields equal the master's current values of fields.
struct MasterLink {
    Table* master = nullptr;
    std::vector<std::string> fields;  // names on the master, in the detail's key order

    bool IsSet() const { return master != nullptr; }
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

    // One field of a record AppendRecords adds: missing, or a text (cut to
    // the field's width as SetString cuts it), a small integer or a
    // date-time's milliseconds. The text is not copied.
    struct FieldInput {
        bool set = false;
        std::string_view text;
        std::int64_t number = 0;
    };
    // Fills in record n; the fields come missing, in definition order.
    using RecordFiller = std::function<void(std::size_t n, std::vector<FieldInput>& record)>;
    // Adds count records, the n-th filled in by fill(n, record), through one
    // prepared insert, after finishing a pending record. Each is tested as
    // the setters and Post test one (the range of a small integer, "Field
    // '%s' must have a value"). Meant for the inside of a transaction, which
    // a failure then undoes whole. The table then stands on its first record,
    // as after First.
    void AppendRecords(std::size_t count, const RecordFiller& fill);

    // Setters work on the pending record and mark it changed. Text keeps its
    // bytes, NULs included, up to the field's width. SetInteger
    // throws "%g is not a valid value for field '%s'. The allowed range is %g
    // to %g" outside the 32-bit range and leaves the field as it was. Date-times
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
    friend class Database;

    void RequireOpen() const;
    int FieldIndex(std::string_view field) const;
    const FieldDef& Field(int index) const { return def_.fields[static_cast<std::size_t>(index)]; }
    // The position of a field the pending record may set; throws unless the
    // table is open in insert or edit mode and the field is of type.
    int PendingFieldIndex(std::string_view field, FieldType type) const;
    // Stores value in the pending record, which then counts as changed.
    void SetPendingValue(int index, FieldValue value);
    const FieldValue& ReadField(std::string_view field, FieldType type);

    void AttachFile();
    void FinishPending();
    void ChangeOrder(const TableIndex& index);
    void BuildQueries();
    void BindField(Statement& statement, int& parameter, int field, const FieldValue& value) const;
    int BindRange(Statement& statement) const;
    bool FetchInto(Statement& statement);
    void SetCurrentEmpty();
    bool SeekFirst();
    bool SeekAfterCurrent();
    bool SeekAt(std::size_t level, SeekOp op);
    void StopScan() noexcept;
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

    std::vector<TableIndex> indexes_;
    std::string orderName_;    // chosen by name, or empty
    std::string orderFields_;  // chosen by fields, or empty
    const TableIndex* order_ = nullptr;

    // Queries of the current order and link, built when either changes.
    int builtRange_ = -1;
    CursorSql sql_;

    bool hasCurrent_ = false;
    bool atEnd_ = true;
    bool needsFirst_ = false;  // a detail repositions lazily after the master moved
    std::int64_t currentRowid_ = 0;
    RecordValues current_;
    // The query First left running over the range, which Next steps on while
    // nothing has moved the cursor or changed the files since; null else.
    Statement* scan_ = nullptr;

    TableMode mode_ = TableMode::Browse;
    RecordValues pending_;
    bool changed_ = false;

    MasterLink link_;
    std::vector<Table*> details_;
    bool rangeEmpty_ = false;
    std::vector<FieldValue> range_;
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
