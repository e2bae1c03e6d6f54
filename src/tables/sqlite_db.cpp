#include "tables/sqlite_db.h"

#include <sqlite3.h>

#include <cerrno>
#include <utility>

#include "support/platform_files.h"

namespace lognex {

namespace {

// The errno value behind a failed read or write of a file. (After a failed
// open SQLite looks further, and the value it keeps is not the cause.)
int SystemErrorOf(sqlite3* db, int code) {
    const int recorded = db != nullptr ? sqlite3_system_errno(db) : 0;
    switch (code & 0xFF) {
        case SQLITE_IOERR: return recorded;
        case SQLITE_FULL: return recorded != 0 ? recorded : ENOSPC;  // a full disk leaves no value
        default: return 0;
    }
}

[[noreturn]] void ThrowFrom(sqlite3* db, int code) {
    const char* text = db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(code);
    throw StoreError(std::string("Database error: ") + (text != nullptr ? text : sqlite3_errstr(code)),
                     SystemErrorOf(db, code));
}

}  // namespace

Statement::Statement(sqlite3* db, std::string_view sql) : db_(db) {
    const int rc =
        sqlite3_prepare_v3(db, sql.data(), static_cast<int>(sql.size()), SQLITE_PREPARE_PERSISTENT, &stmt_, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_finalize(stmt_);
        stmt_ = nullptr;
        ThrowFrom(db, rc);
    }
}

Statement::Statement(Statement&& other) noexcept
    : db_(std::exchange(other.db_, nullptr)), stmt_(std::exchange(other.stmt_, nullptr)) {}

Statement& Statement::operator=(Statement&& other) noexcept {
    if (this != &other) {
        sqlite3_finalize(stmt_);
        db_ = std::exchange(other.db_, nullptr);
        stmt_ = std::exchange(other.stmt_, nullptr);
    }
    return *this;
}

Statement::~Statement() { sqlite3_finalize(stmt_); }

void Statement::BindInt(int index, std::int64_t value) {
    const int rc = sqlite3_bind_int64(stmt_, index, value);
    if (rc != SQLITE_OK) ThrowFrom(db_, rc);
}

void Statement::BindText(int index, std::string_view text) {
    // The text is copied, so the caller's buffer need not outlive the step.
    const int rc = sqlite3_bind_text(stmt_, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
    if (rc != SQLITE_OK) ThrowFrom(db_, rc);
}

void Statement::BindTextInPlace(int index, std::string_view text) {
    const int rc = sqlite3_bind_text(stmt_, index, text.data(), static_cast<int>(text.size()), SQLITE_STATIC);
    if (rc != SQLITE_OK) ThrowFrom(db_, rc);
}

void Statement::BindNull(int index) {
    const int rc = sqlite3_bind_null(stmt_, index);
    if (rc != SQLITE_OK) ThrowFrom(db_, rc);
}

bool Statement::Step() {
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    sqlite3_reset(stmt_);
    ThrowFrom(db_, rc);
}

void Statement::Reset() noexcept {
    if (stmt_ != nullptr) sqlite3_reset(stmt_);
}

bool Statement::ColumnIsNull(int column) const { return sqlite3_column_type(stmt_, column) == SQLITE_NULL; }

std::int64_t Statement::ColumnInt(int column) const { return sqlite3_column_int64(stmt_, column); }

std::string Statement::ColumnText(int column) const {
    // Blob access returns the stored bytes as they are, without any
    // text-encoding conversion.
    const void* data = sqlite3_column_blob(stmt_, column);
    const int size = sqlite3_column_bytes(stmt_, column);
    if (data == nullptr || size <= 0) return {};
    return std::string(static_cast<const char*>(data), static_cast<std::size_t>(size));
}

namespace {

// Before SQLite's first use: the program keeps no memory statistics, so
// every allocation spares a global mutex and a counter.
void ConfigureEngineOnce() {
    static const bool configured = [] {
        sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
        return true;
    }();
    (void)configured;
}

}  // namespace

void Statement::ColumnTextInto(int column, std::string& text) const {
    const void* data = sqlite3_column_blob(stmt_, column);
    const int size = sqlite3_column_bytes(stmt_, column);
    if (data == nullptr || size <= 0)
        text.clear();
    else
        text.assign(static_cast<const char*>(data), static_cast<std::size_t>(size));
}

Connection::Connection(const std::string& filename, int flags) {
    ConfigureEngineOnce();
    // A connection is used by one thread at a time, so it needs no mutex of its own.
    const int rc = sqlite3_open_v2(SqliteFileName(filename).c_str(), &db_, flags | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        const std::string message = db_ != nullptr ? sqlite3_errmsg(db_) : sqlite3_errstr(rc);
        sqlite3_close_v2(db_);
        db_ = nullptr;
        throw StoreError("Database error: " + message);
    }
    sqlite3_extended_result_codes(db_, 1);
}

Connection::~Connection() {
    ClearCache();
    // close_v2 also rolls back a transaction still open.
    sqlite3_close_v2(db_);
}

void Connection::Execute(const std::string& sql) {
    char* error = nullptr;
    const int rc = sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &error);
    if (rc != SQLITE_OK) {
        std::string message = error != nullptr ? error : sqlite3_errstr(rc);
        sqlite3_free(error);
        throw StoreError("Database error: " + message, SystemErrorOf(db_, rc));
    }
}

void Connection::Run(const std::string& sql) {
    Statement& statement = Cached(sql);
    ResetOnExit reset(statement);
    while (statement.Step()) {
    }
}

Statement& Connection::Cached(const std::string& sql) {
    auto found = cache_.find(sql);
    if (found == cache_.end()) {
        auto statement = std::make_unique<Statement>(db_, sql);
        found = cache_.emplace(sql, std::move(statement)).first;
    }
    found->second->Reset();
    return *found->second;
}

void Connection::ClearCache() noexcept { cache_.clear(); }

bool Connection::AutoCommit() const { return sqlite3_get_autocommit(db_) != 0; }

std::int64_t Connection::LastInsertRowid() const { return sqlite3_last_insert_rowid(db_); }

int OpenExistingFlags() { return SQLITE_OPEN_READWRITE | SQLITE_OPEN_URI; }

int OpenOrCreateFlags() { return SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_URI; }

std::string QuoteIdentifier(std::string_view name) {
    std::string quoted = "\"";
    for (char c : name) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    quoted += '"';
    return quoted;
}

std::string ExistingFileUri(const std::string& path) {
    // Everything outside the unreserved set is percent-encoded, so '?', '#'
    // and '%' in a folder name cannot be read as URI syntax.
    static const char hex[] = "0123456789ABCDEF";
    std::string uri = "file:";
    for (unsigned char c : path) {
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
                           c == '.' || c == '_' || c == '~' || c == '/';
        if (plain) {
            uri += static_cast<char>(c);
        } else {
            uri += '%';
            uri += hex[c >> 4];
            uri += hex[c & 0x0F];
        }
    }
    uri += "?mode=rw";
    return uri;
}

}  // namespace lognex
