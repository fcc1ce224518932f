// SQLite's handles and statements; see sqlite_handles.h.
#include "archive/sqlite_handles.h"

#include <sqlite3.h>

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
    // A file this program creates is its own and is written without a journal, which
    // defensive mode forbids; every file that exists already may be a stranger's.
    if (!(flags & SQLITE_OPEN_CREATE)) sqlite3_db_config(db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    db_.reset(db);
}

// Statements still open keep a closed data base alive until the last is finalized.
void Database::Release::operator()(sqlite3* db) const { sqlite3_close_v2(db); }

void Database::Close() {
    if (!db_) return;
    if (sqlite3_close(db_.get()) != SQLITE_OK) throw DatabaseError(sqlite3_errmsg(db_.get()));
    static_cast<void>(db_.release());  // closed already
}

Statement::Statement(sqlite3* db, std::string_view sql, std::string_view* rest) {
    const char* tail = nullptr;
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &stmt, &tail) != SQLITE_OK)
        throw DatabaseError(sqlite3_errmsg(db));
    stmt_.reset(stmt);
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

void Statement::Release::operator()(sqlite3_stmt* stmt) const { sqlite3_finalize(stmt); }

Statement& Statement::BindInteger(int at, std::int64_t value) {
    sqlite3_bind_int64(stmt_.get(), at, value);
    return *this;
}

Statement& Statement::BindReal(int at, double value) {
    sqlite3_bind_double(stmt_.get(), at, value);
    return *this;
}

Statement& Statement::BindText(int at, std::string_view utf8) {
    sqlite3_bind_text64(stmt_.get(), at, utf8.data(), utf8.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
    return *this;
}

Statement& Statement::BindNull(int at) {
    sqlite3_bind_null(stmt_.get(), at);
    return *this;
}

bool Statement::Step() {
    int rc = sqlite3_step(stmt_.get());
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    throw DatabaseError(EngineMessage(sqlite3_db_handle(stmt_.get()), rc));
}

void Statement::Run() {
    int rc = sqlite3_step(stmt_.get());
    // Read the message before the reset, which may replace it.
    std::string message = rc == SQLITE_DONE ? "" : EngineMessage(sqlite3_db_handle(stmt_.get()), rc);
    sqlite3_reset(stmt_.get());
    if (rc != SQLITE_DONE) throw DatabaseError(message);
}

void Statement::Reset() { sqlite3_reset(stmt_.get()); }

int Statement::Columns() const { return sqlite3_column_count(stmt_.get()); }

std::int64_t Statement::Integer(int column) const { return sqlite3_column_int64(stmt_.get(), column); }

std::string_view Statement::Text(int column) const {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_.get(), column));
    return text ? std::string_view(text, static_cast<size_t>(sqlite3_column_bytes(stmt_.get(), column)))
                : std::string_view();
}

std::string EngineMessage(sqlite3* db, int rc) {
    if ((rc & 0xFF) == SQLITE_INTERRUPT)
        return "a statement on the archive ran too long without a result and was stopped (the file may hold an "
               "endless query)";
    return sqlite3_errmsg(db);
}

void ExecuteStatements(sqlite3* db, const std::string& sql) {
    char* error = nullptr;
    if (int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error); rc != SQLITE_OK) {
        std::string message = (rc & 0xFF) == SQLITE_INTERRUPT ? EngineMessage(db, rc) : error ? error : sqlite3_errmsg(db);
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
