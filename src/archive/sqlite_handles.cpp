// SQLite's handles and statements; see sqlite_handles.h.
#include "archive/sqlite_handles.h"

#include <sqlite3.h>

#include <utility>

#include "base/errors.h"

namespace zenta {

Database::Database(const std::string& path, int flags) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, flags, nullptr) != SQLITE_OK) {
        // The engine gives a handle even on most failures, only to say why.
        std::string message = db ? sqlite3_errmsg(db) : "out of memory";
        sqlite3_close(db);
        throw DatabaseError(message);
    }
    db_ = db;
}

Database::~Database() { sqlite3_close_v2(db_); }

Database::Database(Database&& other) noexcept : db_(std::exchange(other.db_, nullptr)) {}

Database& Database::operator=(Database&& other) noexcept {
    if (this != &other) {
        sqlite3_close_v2(db_);
        db_ = std::exchange(other.db_, nullptr);
    }
    return *this;
}

void Database::Close() {
    if (!db_) return;
    if (sqlite3_close(db_) != SQLITE_OK) throw DatabaseError(sqlite3_errmsg(db_));
    db_ = nullptr;
}

Statement::Statement(sqlite3* db, std::string_view sql, std::string_view* rest) {
    const char* tail = nullptr;
    if (sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &stmt_, &tail) != SQLITE_OK)
        throw DatabaseError(sqlite3_errmsg(db));
    if (rest) *rest = tail ? sql.substr(static_cast<size_t>(tail - sql.data())) : std::string_view();
}

Statement Statement::Try(sqlite3* db, std::string_view sql, std::string* why) {
    try {
        return Statement(db, sql);
    } catch (const DatabaseError& e) {
        if (why) *why = e.what();
        return Statement();
    }
}

Statement::~Statement() { sqlite3_finalize(stmt_); }

Statement::Statement(Statement&& other) noexcept : stmt_(std::exchange(other.stmt_, nullptr)) {}

Statement& Statement::operator=(Statement&& other) noexcept {
    if (this != &other) {
        sqlite3_finalize(stmt_);
        stmt_ = std::exchange(other.stmt_, nullptr);
    }
    return *this;
}

Statement& Statement::BindInteger(int at, std::int64_t value) {
    sqlite3_bind_int64(stmt_, at, value);
    return *this;
}

Statement& Statement::BindReal(int at, double value) {
    sqlite3_bind_double(stmt_, at, value);
    return *this;
}

Statement& Statement::BindText(int at, std::string_view utf8) {
    sqlite3_bind_text64(stmt_, at, utf8.data(), utf8.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
    return *this;
}

Statement& Statement::BindNull(int at) {
    sqlite3_bind_null(stmt_, at);
    return *this;
}

bool Statement::Step() {
    int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    throw DatabaseError(sqlite3_errmsg(sqlite3_db_handle(stmt_)));
}

void Statement::Run() {
    int rc = sqlite3_step(stmt_);
    // Read the message before the reset, which may replace it.
    std::string message = rc == SQLITE_DONE ? "" : sqlite3_errmsg(sqlite3_db_handle(stmt_));
    sqlite3_reset(stmt_);
    if (rc != SQLITE_DONE) throw DatabaseError(message);
}

void ExecuteStatements(sqlite3* db, const std::string& sql) {
    char* error = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        std::string message = error ? error : sqlite3_errmsg(db);
        sqlite3_free(error);
        throw DatabaseError(message);
    }
}

std::string QuotedIdentifier(std::string_view name) {
    std::string quoted = "\"";
    for (char c : name) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

}  // namespace zenta
