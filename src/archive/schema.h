// The native archive's schema: the five tables of a board with the columns, in the order,
// that the board's own archives have, and the indexes the reader's statements need.
#pragma once

#include <array>
#include <functional>
#include <string>

struct sqlite3;

namespace zenta {

// The five tables, in the order in which a merge copies them.
inline constexpr std::array<const char*, 5> kArchiveTables = {"FORUM_CATEGORY", "FORUM_FORUM", "FORUM_MEMBERS",
                                                              "FORUM_REPLY", "FORUM_TOPICS"};

// Why the data base's `table` cannot be read as one of the five: "" for a real table or when
// there is none of that name; otherwise, e.g., "FORUM_REPLY is not a table" (a view or a
// virtual table under that name).
std::string TableRefusal(sqlite3* db, const std::string& table);

// Raises DatabaseError "\"<path>\" is not a readable archive: <refusal>" for the first of the
// five tables that TableRefusal refuses.
void CheckArchiveTables(sqlite3* db, const std::string& path);

// Creates the five tables in an empty data base; indexes come apart, after a bulk load,
// and only on the tables and columns the data base has.
void CreateArchiveTables(sqlite3* db);
void CreateArchiveIndexes(sqlite3* db);

// Creates a new data base file at `path` (refusing one that exists) and hands it to `fill`;
// when `fill` fails the file is removed and the error goes on.
void WriteNewArchive(const std::string& path, const std::function<void(sqlite3*)>& fill);

// Creates a new native archive file with tables and indexes and no rows. Refuses a path
// that exists already.
void CreateNativeArchive(const std::string& path);

}  // namespace zenta
