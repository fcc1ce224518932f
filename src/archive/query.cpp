#include "archive/query.h"

#include <sqlite3.h>

#include <strings.h>

#include <utility>

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

void Query::SetConnection(Connection* connection) {
    if (connection == connection_) return;
    Close();
    connection_ = connection;
}

void Query::Open() {
    Close();
    if (!connection_) throw DatabaseError("The query has no connection");
    std::string sql = TranslateJetSql(sql_.Text());
    std::string_view rest;
    Statement stmt(connection_->handle(), sql, &rest);
    if (!stmt) throw DatabaseError("The statement is empty");
    if (rest.find_first_not_of(" \t\r\n;") != std::string_view::npos)
        throw DatabaseError("Characters found after the end of the statement");
    const int needed = sqlite3_bind_parameter_count(stmt.get());
    if (static_cast<int>(parameters_.size()) != needed) {
        throw DatabaseError("The statement needs " + std::to_string(needed) + " parameters, and " +
                            std::to_string(parameters_.size()) + " were given");
    }
    for (size_t i = 0; i < parameters_.size(); ++i) {
        const Value& v = parameters_[i];
        int at = static_cast<int>(i) + 1;
        switch (v.kind()) {
            case Value::Kind::Null:
                stmt.BindNull(at);
                break;
            case Value::Kind::Integer:
                stmt.BindInteger(at, v.integer());
                break;
            case Value::Kind::Real:
                stmt.BindReal(at, v.real());
                break;
            case Value::Kind::Text:
                stmt.BindText(at, FromNarrow(v.text()));
                break;
        }
    }
    stmt_ = std::move(stmt);
    names_.clear();
    for (int i = 0; i < sqlite3_column_count(stmt_.get()); ++i) {
        const char* name = sqlite3_column_name(stmt_.get(), i);
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
    stmt_ = Statement();
    eof_ = true;
}

void Query::Step() {
    eof_ = true;  // stays so when the step fails
    eof_ = !stmt_.Step();
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
    sqlite3_stmt* stmt = stmt_.get();
    switch (sqlite3_column_type(stmt, index)) {
        case SQLITE_INTEGER:
            return Value::Integer(sqlite3_column_int64(stmt, index));
        case SQLITE_FLOAT:
            return Value::Real(sqlite3_column_double(stmt, index));
        case SQLITE_NULL:
            return Value();
        default: {
            const char* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, index));
            int size = sqlite3_column_bytes(stmt, index);
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
