#include "archive/query.h"

#include <sqlite3.h>

#include <strings.h>

#include "archive/connection.h"
#include "archive/jet_sql.h"
#include "base/codepage.h"
#include "base/errors.h"

namespace zenta {

void StatementLines::Clear() {
    owner_->Close();
    lines_.clear();
}

void StatementLines::Add(std::string line) {
    owner_->Close();
    lines_.push_back(std::move(line));
}

std::string StatementLines::Text() const {
    std::string text;
    for (const std::string& line : lines_) text += line + "\r\n";
    return text;
}

Query::~Query() { Close(); }

void Query::SetConnection(Connection* connection) {
    if (connection == connection_) return;
    Close();
    connection_ = connection;
}

void Query::Open() {
    Close();
    if (!connection_) throw DatabaseError("The query has no connection");
    sqlite3* db = connection_->handle();
    std::string sql = TranslateJetSql(sql_.Text());
    sqlite3_stmt* stmt = nullptr;
    const char* tail = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &stmt, &tail) != SQLITE_OK)
        throw DatabaseError(sqlite3_errmsg(db));
    if (!stmt) throw DatabaseError("The statement is empty");
    std::string_view rest(tail);
    if (rest.find_first_not_of(" \t\r\n;") != std::string_view::npos) {
        sqlite3_finalize(stmt);
        throw DatabaseError("Characters found after the end of the statement");
    }
    if (static_cast<int>(parameters_.size()) != sqlite3_bind_parameter_count(stmt)) {
        sqlite3_finalize(stmt);
        throw DatabaseError("The statement needs " + std::to_string(sqlite3_bind_parameter_count(stmt)) +
                            " parameters, and " + std::to_string(parameters_.size()) + " were given");
    }
    for (size_t i = 0; i < parameters_.size(); ++i) {
        const Value& v = parameters_[i];
        int at = static_cast<int>(i) + 1;
        switch (v.kind()) {
            case Value::Kind::Null:
                sqlite3_bind_null(stmt, at);
                break;
            case Value::Kind::Integer:
                sqlite3_bind_int64(stmt, at, v.integer());
                break;
            case Value::Kind::Real:
                sqlite3_bind_double(stmt, at, v.real());
                break;
            case Value::Kind::Text: {
                std::string utf8 = FromNarrow(v.text());
                sqlite3_bind_text(stmt, at, utf8.data(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
                break;
            }
        }
    }
    stmt_ = stmt;
    names_.clear();
    for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
        const char* name = sqlite3_column_name(stmt, i);
        names_.push_back(name ? name : "");
    }
    try {
        Step();
    } catch (...) {
        Close();
        throw;
    }
}

void Query::Close() {
    if (stmt_) sqlite3_finalize(stmt_);
    stmt_ = nullptr;
    eof_ = true;
}

void Query::Step() {
    int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) {
        eof_ = false;
    } else if (rc == SQLITE_DONE) {
        eof_ = true;
    } else {
        eof_ = true;
        throw DatabaseError(sqlite3_errmsg(sqlite3_db_handle(stmt_)));
    }
}

void Query::Next() {
    if (Eof()) return;
    Step();
}

int Query::FieldCount() const { return stmt_ ? static_cast<int>(names_.size()) : 0; }

const std::string& Query::FieldName(int index) const {
    if (index < 0 || index >= FieldCount()) throw DatabaseError("No column at position " + std::to_string(index));
    return names_[index];
}

int Query::FieldIndex(std::string_view name) const {
    for (int i = 0; i < FieldCount(); ++i)
        if (names_[i].size() == name.size() && strncasecmp(names_[i].data(), name.data(), name.size()) == 0) return i;
    return -1;
}

void Query::CheckRow() const {
    if (!stmt_) throw DatabaseError("The query is closed");
    if (eof_) throw DatabaseError("There is no current row");
}

Value Query::Fields(int index) const {
    CheckRow();
    if (index < 0 || index >= FieldCount()) throw DatabaseError("No column at position " + std::to_string(index));
    switch (sqlite3_column_type(stmt_, index)) {
        case SQLITE_INTEGER:
            return Value::Integer(sqlite3_column_int64(stmt_, index));
        case SQLITE_FLOAT:
            return Value::Real(sqlite3_column_double(stmt_, index));
        case SQLITE_NULL:
            return Value();
        default: {
            const char* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, index));
            int size = sqlite3_column_bytes(stmt_, index);
            return Value::Text(ToNarrow(std::string_view(text ? text : "", size)));
        }
    }
}

Value Query::FieldByName(std::string_view name) const {
    int index = FieldIndex(name);
    if (index < 0) throw FieldNotFoundError(std::string(name));
    return Fields(index);
}

}  // namespace zenta
