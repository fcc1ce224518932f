#include "archive/topic_title_index.h"

#include <sqlite3.h>

#include "archive/sqlite_handles.h"

namespace zenta {
namespace {

bool HasTopicColumns(sqlite3* db) {
    Statement count = Statement::Try(db,
                                     "select count(*) from pragma_table_info('FORUM_TOPICS') "
                                     "where name in ('TOPIC_ID', 't_subject') collate nocase");
    return count && count.Step() && sqlite3_column_int(count.get(), 0) == 2;
}

}  // namespace

void CreateTopicTitleIndex(sqlite3* db) {
    if (!HasTopicColumns(db)) return;
    // The trigram index reads the titles from FORUM_TOPICS itself (external content), so it
    // holds no second copy of them.
    ExecuteStatements(db, R"(
CREATE VIRTUAL TABLE IF NOT EXISTS topic_title_trigrams USING fts5(
  t_subject, content='FORUM_TOPICS', content_rowid='TOPIC_ID', tokenize='trigram');
INSERT INTO topic_title_trigrams(topic_title_trigrams) VALUES ('rebuild');
)");
}

Statement PrepareTitleIndexInsert(sqlite3* db) {
    Statement present = Statement::Try(
        db, "select 1 from sqlite_master where type = 'table' and name = 'topic_title_trigrams' and sql like "
            "'CREATE VIRTUAL TABLE%USING fts5%'");
    if (!present || !present.Step()) return Statement();
    return Statement(db,
                     "INSERT INTO topic_title_trigrams(rowid, t_subject) "
                     "SELECT TOPIC_ID, t_subject FROM FORUM_TOPICS WHERE TOPIC_ID = ?1");
}

void DropTitleIndexTriggers(sqlite3* db) {
    // Looked for first: dropping is a write, which would wait for another instance's merge.
    Statement present = Statement::Try(
        db, "select 1 from sqlite_master where type = 'trigger' and name like 'topic_title_%'");
    if (!present || !present.Step()) return;
    present = Statement();
    ExecuteStatements(db, R"(
DROP TRIGGER IF EXISTS topic_title_insert;
DROP TRIGGER IF EXISTS topic_title_delete;
DROP TRIGGER IF EXISTS topic_title_update;
)");
}

}  // namespace zenta
