// A query on an archive connection, used the way the board's code uses one: close it,
// clear its lines, add the statement's lines, open it, walk the rows to the end, close it.
// Statements are written in the board's Jet dialect; values come back narrow (GB18030).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "archive/sqlite_handles.h"
#include "base/value.h"

namespace zenta {

class Connection;
class Query;

// The statement as a list of lines; the engine receives them as one text with CR LF after
// each line. Any change closes the query.
class StatementLines {
public:
    void Clear();
    void Add(std::string line);
    const std::vector<std::string>& lines() const { return lines_; }
    std::string Text() const;

private:
    friend class Query;
    explicit StatementLines(Query* owner) : owner_(owner) {}
    Query* owner_;
    std::vector<std::string> lines_;
};

class Query {
public:
    Query() : sql_(this) {}
    explicit Query(Connection* connection) : sql_(this), connection_(connection) {}
    Query(const Query&) = delete;
    Query& operator=(const Query&) = delete;

    // Setting the connection the query already has changes nothing; another one closes it.
    void SetConnection(Connection* connection);
    Connection* connection() const { return connection_; }

    StatementLines& SQL() { return sql_; }
    // Values for the statement's "?" placeholders, in order; texts narrow.
    std::vector<Value>& Parameters() { return parameters_; }

    // Runs the statement. A statement the engine refuses raises DatabaseError with the
    // engine's message, and the query stays closed.
    void Open();
    void Close();
    bool Active() const { return static_cast<bool>(stmt_); }

    // True past the last row, at once for an empty result.
    bool Eof() const { return !stmt_ || eof_; }
    void Next();

    int FieldCount() const;
    const std::string& FieldName(int index) const;
    // The column's position, the name matched without regard to ASCII letter case; -1 if none.
    int FieldIndex(std::string_view name) const;

    // Values of the current row. A name the result lacks raises FieldNotFoundError.
    Value Fields(int index) const;
    Value FieldByName(std::string_view name) const;

private:
    void Step();
    void CheckRow() const;

    StatementLines sql_;
    Connection* connection_ = nullptr;
    std::vector<Value> parameters_;
    Statement stmt_;
    bool eof_ = true;
    std::vector<std::string> names_;
};

}  // namespace zenta
