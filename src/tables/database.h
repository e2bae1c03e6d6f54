// The database: one SQLite connection to which every table's file is
// attached, and the program's one transaction on it.
//
// A table's file is named after the table, extension ".ff2", in the folder
// an alias names. Committed transactions are batched in memory and reach the
// files together (see StartTransactionIfNone). Every failure is thrown as a
// StoreError whose text is meant for the user.
#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "tables/field_values.h"
#include "tables/sqlite_db.h"
#include "tables/table_def.h"

namespace lognex {

class AliasRegistry;
class Table;

// How long committed transactions may wait in memory, at most, before a new
// transaction writes them to the files first. Writing a run's pages once
// instead of once per transaction is what makes one-change transactions fast.
inline constexpr std::chrono::milliseconds kBatchSpan{2000};

// The SQLite busy timeout of the database connection.
inline constexpr int kDatabaseTimeoutMs = 10'000;

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
    // A table calls BeforeWrite before each statement that changes a file,
    // and AfterInsert or AfterUpdate once it succeeded, which keep the
    // statement's inverse when it is the transaction's first write (see
    // StartTransactionIfNone). A write without an inverse passes undoable
    // false. Outside a transaction they do nothing.
    void BeforeWrite(bool undoable);
    // The record with rowid was added to the table of schema (quoted).
    void AfterInsert(const std::string& schema, std::int64_t rowid);
    // The record with rowid of def's table held before; updateSql binds every
    // field in definition order, then the rowid.
    void AfterUpdate(const std::string& updateSql, const TableDef& def, const RecordValues& before, std::int64_t rowid);
    void UndoFirstWrite();
    // Ends the running queries of every table (before a write they may not
    // outlive, and at the end of a batch).
    void StopScans() noexcept;
    void Register(Table* table);
    void Unregister(Table* table);

    const AliasRegistry& aliases_;
    std::string aliasName_;
    std::string folder_;
    std::unique_ptr<Connection> connection_;
    std::vector<std::string> attached_;
    std::vector<Table*> tables_;
    bool inTransaction_ = false;
    bool savepointOpen_ = false;
    // The inverse of the transaction's first write, when it has one. Kept in
    // place so that its storage is reused from change to change.
    bool hasUndo_ = false;
    std::string undoSql_;
    RecordValues undoValues_;
    std::vector<FieldType> undoTypes_;
    std::int64_t undoRowid_ = 0;
    bool batchOpen_ = false;
    std::chrono::steady_clock::time_point batchStart_;
};

}  // namespace lognex
