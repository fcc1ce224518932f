// One prepared statement, finalized with its owner, for the core's own statements on an engine
// handle (the board's statements go through Query). Every engine error raises DatabaseError.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "base/errors.h"

namespace zenta {

class SqliteStatement {
public:
    SqliteStatement(sqlite3* db, const std::string& sql) {
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt_, nullptr) != SQLITE_OK)
            throw DatabaseError(sqlite3_errmsg(db));
    }
    ~SqliteStatement() { sqlite3_finalize(stmt_); }
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    sqlite3_stmt* get() const { return stmt_; }
    SqliteStatement& Bind(int at, std::int64_t value) {
        sqlite3_bind_int64(stmt_, at, value);
        return *this;
    }
    // The text must outlive the statement's next step.
    SqliteStatement& Bind(int at, std::string_view value) {
        sqlite3_bind_text(stmt_, at, value.data(), static_cast<int>(value.size()), SQLITE_STATIC);
        return *this;
    }
    // True when a row came.
    bool Step() {
        int rc = sqlite3_step(stmt_);
        if (rc == SQLITE_ROW) return true;
        if (rc != SQLITE_DONE) throw DatabaseError(sqlite3_errmsg(sqlite3_db_handle(stmt_)));
        return false;
    }
    // Runs a statement that returns no rows, ready to run again.
    void Run() {
        Step();
        sqlite3_reset(stmt_);
    }
    void Reset() { sqlite3_reset(stmt_); }
    int Columns() const { return sqlite3_column_count(stmt_); }
    std::int64_t Integer(int column) const { return sqlite3_column_int64(stmt_, column); }
    std::string_view Text(int column) const {
        const char* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
        return text ? std::string_view(text, static_cast<std::size_t>(sqlite3_column_bytes(stmt_, column)))
                    : std::string_view();
    }

private:
    sqlite3_stmt* stmt_ = nullptr;
};

}  // namespace zenta
