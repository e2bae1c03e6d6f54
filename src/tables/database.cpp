#include "tables/database.h"

#include <sqlite3.h>

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <utility>

#include "support/ansi_text.h"
#include "support/platform_files.h"
#include "tables/alias_registry.h"
#include "tables/table.h"

namespace lognex {

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
                         "\nFolder: " + PathToAnsi(*folder));
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
    StopScans();
    {
        Statement attach(connection.Handle(), "ATTACH DATABASE ?1 AS " + QuoteIdentifier(schema));
        attach.BindText(1, ExistingFileUri(SqliteFileName(PathText(std::filesystem::absolute(path)))));
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
    connection.Execute("PRAGMA " + s + ".locking_mode=EXCLUSIVE; PRAGMA " + s + ".journal_mode=TRUNCATE; PRAGMA " + s +
                       ".synchronous=OFF; PRAGMA " + s + ".cache_size=-65536;");
}

// A transaction of the program lives inside a longer SQLite transaction, the
// batch, which is committed to the files by the first change that begins
// kBatchSpan or more after the batch did, before a file is attached, and when
// the database closes. Writing pages once per batch instead of once per
// change is what makes a run of one-change transactions fast; the files are
// emptied at every start, so the changes of an unfinished batch are never
// missed, and the journal keeps a crash from leaving a damaged file.
//
// Most changes write one record with one statement, which SQLite applies
// whole or not at all. Such a first write is undone by its inverse (delete
// the added record, write back the replaced one), and an SQLite savepoint is
// opened only before a second write in the same transaction, or before a
// write that has no inverse: a savepoint copies every page it touches, which
// would cost more than the write itself.
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
    } catch (...) {
        AfterFailure();
        throw;
    }
    inTransaction_ = true;
    savepointOpen_ = false;
    hasUndo_ = false;
    return true;
}

void Database::StopScans() noexcept {
    for (Table* table : tables_) table->StopScan();
}

void Database::BeforeWrite(bool undoable) {
    if (!undoable) StopScans();
    if (!inTransaction_ || savepointOpen_) return;
    if (undoable && !hasUndo_) return;
    try {
        Conn().Run("SAVEPOINT change");
    } catch (...) {
        AfterFailure();
        throw;
    }
    savepointOpen_ = true;
}

void Database::AfterInsert(const std::string& schema, std::int64_t rowid) {
    if (!inTransaction_ || savepointOpen_ || hasUndo_) return;
    undoSql_.assign("DELETE FROM ").append(schema).append(".").append(schema).append(" WHERE rowid = ?");
    undoValues_.clear();
    undoTypes_.clear();
    undoRowid_ = rowid;
    hasUndo_ = true;
}

void Database::AfterUpdate(const std::string& updateSql, const TableDef& def, const RecordValues& before,
                           std::int64_t rowid) {
    if (!inTransaction_ || savepointOpen_ || hasUndo_) return;
    undoSql_.assign(updateSql);
    undoValues_.resize(before.size());
    for (std::size_t i = 0; i < before.size(); ++i) {
        undoValues_[i].set = before[i].set;
        undoValues_[i].text.assign(before[i].text);
        undoValues_[i].number = before[i].number;
    }
    undoTypes_.clear();
    for (const FieldDef& field : def.fields) undoTypes_.push_back(field.type);
    undoRowid_ = rowid;
    hasUndo_ = true;
}

void Database::UndoFirstWrite() {
    Statement& undo = Conn().Cached(undoSql_);
    ResetOnExit reset(undo);
    int parameter = 1;
    for (std::size_t i = 0; i < undoValues_.size(); ++i) {
        const FieldValue& value = undoValues_[i];
        if (!value.set)
            undo.BindNull(parameter++);
        else if (undoTypes_[i] == FieldType::Text)
            undo.BindText(parameter++, value.text);
        else
            undo.BindInt(parameter++, value.number);
    }
    undo.BindInt(parameter, undoRowid_);
    undo.Step();
}

void Database::Commit() {
    if (!inTransaction_) throw StoreError("No transaction is active.");
    if (savepointOpen_) {
        try {
            Conn().Run("RELEASE change");
        } catch (...) {
            AfterFailure();
            throw;
        }
    }
    inTransaction_ = false;
    savepointOpen_ = false;
    hasUndo_ = false;
}

void Database::Rollback() noexcept {
    if (!inTransaction_) return;
    inTransaction_ = false;
    StopScans();
    const bool savepoint = std::exchange(savepointOpen_, false);
    const bool undoFirst = std::exchange(hasUndo_, false);
    if (connection_ && !connection_->AutoCommit()) {
        try {
            if (savepoint) connection_->Execute("ROLLBACK TO change; RELEASE change");
            if (undoFirst) UndoFirstWrite();
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
    StopScans();  // no query stays running over the end of the batch
    try {
        connection_->Run("COMMIT");
    } catch (...) {
        AfterFailure();
        throw;
    }
}

void Database::AfterFailure() noexcept {
    StopScans();
    // Some failures (a full disk, an I/O error) make SQLite roll back the
    // whole batch. The flags and the cursors then follow what is stored.
    if (connection_ && connection_->AutoCommit()) {
        inTransaction_ = false;
        savepointOpen_ = false;
        hasUndo_ = false;
        batchOpen_ = false;
        for (Table* table : tables_) table->AfterRollback();
    }
}

void Database::Register(Table* table) { tables_.push_back(table); }

void Database::Unregister(Table* table) { std::erase(tables_, table); }

}  // namespace lognex
