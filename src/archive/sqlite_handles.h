// The one owner of SQLite's handles: a data base handle and a prepared statement, each
// released exactly once however its owner ends, and the helpers that run statements without
// rows and quote identifiers. Every use of the engine goes through these.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace zenta {

// An open data base handle, closed when the owner goes. Every handle runs with trusted schema
// off (a file's views, triggers and indexes may not call functions with side effects) and,
// unless it creates the file, in defensive mode (no statement may damage the file).
class Database {
public:
    Database() = default;
    // Opens `path` (or an SQLite URI, with SQLITE_OPEN_URI) with SQLite's open flags; a failure
    // raises DatabaseError with the engine's message and leaves nothing open.
    Database(const std::string& path, int flags);

    sqlite3* get() const { return db_.get(); }
    explicit operator bool() const { return db_ != nullptr; }

    // Closes now; raises DatabaseError when the engine cannot finish the file (the handle
    // is then released on destruction). Statements still open keep the data base alive.
    void Close();

private:
    struct Release {
        void operator()(sqlite3* db) const;
    };
    std::unique_ptr<sqlite3, Release> db_;
};

// A prepared statement, finalized when the owner goes.
class Statement {
public:
    Statement() = default;
    // Prepares the first statement of `sql`; a refusal raises DatabaseError with the
    // engine's message. `rest`, when given, receives the text after that statement. A text
    // of blanks or comments only gives an empty Statement.
    Statement(sqlite3* db, std::string_view sql, std::string_view* rest = nullptr);
    // The same, but a refusal gives an empty Statement and, in `why`, the engine's message.
    static Statement Try(sqlite3* db, std::string_view sql, std::string* why = nullptr);

    sqlite3_stmt* get() const { return stmt_.get(); }
    explicit operator bool() const { return stmt_ != nullptr; }

    // Values for the placeholders, counted from 1; texts are UTF-8.
    Statement& BindInteger(int at, std::int64_t value);
    Statement& BindReal(int at, double value);
    Statement& BindText(int at, std::string_view utf8);
    Statement& BindNull(int at);

    // One step: true on a row, false at the end; an error raises DatabaseError.
    bool Step();
    // Runs a statement that yields no rows and makes it ready to run again.
    void Run();
    // Makes it ready to run again after rows were read (bindings stay).
    void Reset();

    // The current row's values, columns counted from 0; a text is valid until the next step.
    int Columns() const;
    std::int64_t Integer(int column) const;
    std::string_view Text(int column) const;

private:
    struct Release {
        void operator()(sqlite3_stmt* stmt) const;
    };
    std::unique_ptr<sqlite3_stmt, Release> stmt_;
};

// The engine's last message on `db` for the result code `rc`; an interrupted statement (the
// connection's bound on a step) is said in words the user can act on.
std::string EngineMessage(sqlite3* db, int rc);

// Runs statements that return no rows; an error raises DatabaseError with the engine's text.
void ExecuteStatements(sqlite3* db, const std::string& sql);

// The name as an SQL identifier in double quotes, a quote inside doubled.
std::string QuotedIdentifier(std::string_view name);

}  // namespace zenta
