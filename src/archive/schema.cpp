#include "archive/schema.h"

#include <sqlite3.h>

#include <filesystem>
#include <functional>

#include "archive/sqlite_handles.h"
#include "archive/topic_title_index.h"
#include "base/errors.h"

namespace zenta {

// Texts compare without regard to ASCII letter case, as the board's data base compares them.
// STRICT tables refuse a value that their column cannot hold, as the board's did.
void CreateArchiveTables(sqlite3* db) {
    ExecuteStatements(db, R"(
CREATE TABLE FORUM_CATEGORY (
  cat_id INTEGER PRIMARY KEY, cat_name TEXT COLLATE NOCASE, cat_pid INTEGER, cat_order INTEGER, cat_status INTEGER
) STRICT;
CREATE TABLE FORUM_FORUM (
  FORUM_ID INTEGER PRIMARY KEY, CAT_ID INTEGER, F_SUBJECT TEXT COLLATE NOCASE, F_DESCRIPTION TEXT COLLATE NOCASE,
  F_TOPICS INTEGER
) STRICT;
CREATE TABLE FORUM_TOPICS (
  TOPIC_ID INTEGER PRIMARY KEY, FORUM_ID INTEGER, CAT_ID INTEGER, T_AUTHOR INTEGER, t_subject TEXT COLLATE NOCASE,
  t_view_count INTEGER, t_date TEXT COLLATE NOCASE, t_message TEXT COLLATE NOCASE, t_kind INTEGER, t_language INTEGER,
  t_good TEXT COLLATE NOCASE, T_REPLIES INTEGER, T_LAST_POST TEXT COLLATE NOCASE
) STRICT;
CREATE TABLE FORUM_REPLY (
  REPLY_ID INTEGER PRIMARY KEY, TOPIC_ID INTEGER, R_AUTHOR INTEGER, R_MESSAGE TEXT COLLATE NOCASE,
  R_DATE TEXT COLLATE NOCASE, FORUM_ID INTEGER
) STRICT;
CREATE TABLE FORUM_MEMBERS (
  MEMBER_ID INTEGER PRIMARY KEY, M_NAME TEXT COLLATE NOCASE, M_EMAIL TEXT COLLATE NOCASE, M_POSTS INTEGER
) STRICT;
)");
}

namespace {

struct IndexDefinition {
    const char* name;
    const char* table;
    const char* columns;
};

constexpr IndexDefinition kArchiveIndexes[] = {
    {"category_by_parent", "FORUM_CATEGORY", "cat_pid, cat_id"},
    {"forum_by_category", "FORUM_FORUM", "CAT_ID, FORUM_ID"},
    {"forum_by_subject", "FORUM_FORUM", "F_SUBJECT"},
    {"topic_by_forum", "FORUM_TOPICS", "FORUM_ID, TOPIC_ID"},
    {"topic_by_forum_category", "FORUM_TOPICS", "FORUM_ID, CAT_ID"},
    {"topic_by_author", "FORUM_TOPICS", "T_AUTHOR, TOPIC_ID"},
    {"reply_by_topic", "FORUM_REPLY", "TOPIC_ID, R_DATE"},
};

// Whether the data base has the table with all these columns.
bool HasColumns(sqlite3* db, const IndexDefinition& index) {
    return static_cast<bool>(Statement::Try(db, std::string("SELECT ") + index.columns + " FROM " + index.table));
}

}  // namespace

// An archive converted from another file may lack a table or a column; its indexes are
// then passed over.
void CreateArchiveIndexes(sqlite3* db) {
    for (const IndexDefinition& index : kArchiveIndexes) {
        if (!HasColumns(db, index)) continue;
        ExecuteStatements(db, std::string("CREATE INDEX IF NOT EXISTS ") + index.name + " ON " + index.table + " (" +
                                  index.columns + ");");
    }
    CreateTopicTitleIndex(db);
}

std::string TableRefusal(sqlite3* db, const std::string& table) {
    // Names are matched as the engine matches them, without regard to ASCII case.
    Statement kind(db, "select type, sql from sqlite_master where name = ?1 collate nocase and type in ('table', 'view')");
    kind.BindText(1, table);
    if (!kind.Step()) return "";
    const std::string type = reinterpret_cast<const char*>(sqlite3_column_text(kind.get(), 0));
    const unsigned char* sql = sqlite3_column_text(kind.get(), 1);
    const bool isVirtual = sql && sqlite3_strnicmp(reinterpret_cast<const char*>(sql), "CREATE VIRTUAL", 14) == 0;
    if (type == "table" && !isVirtual) return "";
    return table + " is not a table";
}

void CheckArchiveTables(sqlite3* db, const std::string& path) {
    for (const char* table : kArchiveTables) {
        std::string refusal = TableRefusal(db, table);
        if (!refusal.empty()) throw DatabaseError("\"" + path + "\" is not a readable archive: " + refusal);
    }
}

void WriteNewArchive(const std::string& path, const std::function<void(sqlite3*)>& fill) {
    std::error_code ec;
    if (std::filesystem::exists(path, ec)) throw Error("\"" + path + "\" exists already; it is not overwritten");
    Database db;
    try {
        db = Database(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    } catch (const DatabaseError& e) {
        throw DatabaseError("Cannot create \"" + path + "\": " + e.what());
    }
    try {
        fill(db.get());
        db.Close();
    } catch (...) {
        db = Database();
        std::filesystem::remove(path, ec);
        throw;
    }
}

void CreateNativeArchive(const std::string& path) {
    WriteNewArchive(path, [](sqlite3* db) {
        ExecuteStatements(db, "BEGIN");
        CreateArchiveTables(db);
        CreateArchiveIndexes(db);
        ExecuteStatements(db, "COMMIT");
    });
}

}  // namespace zenta
