// A thin RAII layer over the SQLite C API: one connection, its prepared
// statements, and the store's error type.
//
// Every SQLite failure becomes a StoreError carrying SQLite's own message, so
// callers never see result codes.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

#include "support/error.h"

struct sqlite3;
struct sqlite3_stmt;

namespace lognex {

// A failure of the record store or of the engine beneath it.
class StoreError : public Error {
public:
    using Error::Error;
    StoreError(const std::string& message, int systemErrorNumber)
        : Error(message), systemErrorNumber_(systemErrorNumber) {}

    // The errno value of a failed file operation beneath ("disk I/O error"
    // past a file-size limit: EFBIG); 0 when there was none.
    int SystemErrorNumber() const { return systemErrorNumber_; }

private:
    int systemErrorNumber_ = 0;
};

// One prepared statement. Move-only; finalized on destruction.
class Statement {
public:
    Statement() = default;
    // Prepares sql on db; throws StoreError when SQLite rejects it.
    Statement(sqlite3* db, std::string_view sql);
    Statement(Statement&& other) noexcept;
    Statement& operator=(Statement&& other) noexcept;
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    ~Statement();

    // Parameters are numbered from 1, as in SQL.
    void BindInt(int index, std::int64_t value);
    void BindText(int index, std::string_view text);
    // Binds text without copying it: its bytes must stay until the statement
    // is reset or bound again.
    void BindTextInPlace(int index, std::string_view text);
    void BindNull(int index);

    // Runs to the next row: true when a row is there, false when done.
    // Throws StoreError on failure (the statement is then reset).
    bool Step();
    // Makes the statement ready to run again; bindings stay.
    void Reset() noexcept;

    // Columns are numbered from 0 and valid after Step answered true.
    bool ColumnIsNull(int column) const;
    std::int64_t ColumnInt(int column) const;
    std::string ColumnText(int column) const;
    // The same into text, whose storage is reused.
    void ColumnTextInto(int column, std::string& text) const;

private:
    sqlite3* db_ = nullptr;
    sqlite3_stmt* stmt_ = nullptr;
};

// Resets a statement when the scope ends, so that no statement stays active
// after a failure (an active statement would block DETACH and close).
class ResetOnExit {
public:
    explicit ResetOnExit(Statement& statement) : statement_(statement) {}
    ResetOnExit(const ResetOnExit&) = delete;
    ResetOnExit& operator=(const ResetOnExit&) = delete;
    ~ResetOnExit() { statement_.Reset(); }

private:
    Statement& statement_;
};

// One open SQLite connection with a cache of prepared statements.
class Connection {
public:
    // Opens filename (a path or a "file:" URI) with the sqlite3_open_v2 flags
    // given; throws StoreError when it cannot be opened.
    Connection(const std::string& filename, int flags);
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    ~Connection();

    // Runs one or more statements without results.
    void Execute(const std::string& sql);
    // Runs one statement without results through the statement cache.
    void Run(const std::string& sql);
    // The statement for sql, prepared on first use and kept until
    // ClearCache or the connection's end. The reference stays valid as long.
    Statement& Cached(const std::string& sql);
    // Finalizes every cached statement (needed before DETACH).
    void ClearCache() noexcept;

    bool AutoCommit() const;
    std::int64_t LastInsertRowid() const;
    sqlite3* Handle() const { return db_; }

private:
    sqlite3* db_ = nullptr;
    std::unordered_map<std::string, std::unique_ptr<Statement>> cache_;
};

// The SQLite flags for opening a connection read-write without creating the
// file, with "file:" URIs understood.
int OpenExistingFlags();
// The same, creating the file when it does not exist.
int OpenOrCreateFlags();

// name in double quotes, inner quotes doubled: safe as an SQL identifier.
std::string QuoteIdentifier(std::string_view name);

// A "file:" URI for path that opens it read-write and never creates it.
std::string ExistingFileUri(const std::string& path);

}  // namespace lognex
