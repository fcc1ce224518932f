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
    // holds no second copy of them; the triggers follow every change of a title or a key.
    ExecuteStatements(db, R"(
CREATE VIRTUAL TABLE IF NOT EXISTS topic_title_trigrams USING fts5(
  t_subject, content='FORUM_TOPICS', content_rowid='TOPIC_ID', tokenize='trigram');
INSERT INTO topic_title_trigrams(topic_title_trigrams) VALUES ('rebuild');
CREATE TRIGGER IF NOT EXISTS topic_title_insert AFTER INSERT ON FORUM_TOPICS BEGIN
  INSERT INTO topic_title_trigrams(rowid, t_subject) VALUES (new.TOPIC_ID, new.t_subject);
END;
CREATE TRIGGER IF NOT EXISTS topic_title_delete AFTER DELETE ON FORUM_TOPICS BEGIN
  INSERT INTO topic_title_trigrams(topic_title_trigrams, rowid, t_subject) VALUES ('delete', old.TOPIC_ID, old.t_subject);
END;
CREATE TRIGGER IF NOT EXISTS topic_title_update AFTER UPDATE OF TOPIC_ID, t_subject ON FORUM_TOPICS BEGIN
  INSERT INTO topic_title_trigrams(topic_title_trigrams, rowid, t_subject) VALUES ('delete', old.TOPIC_ID, old.t_subject);
  INSERT INTO topic_title_trigrams(rowid, t_subject) VALUES (new.TOPIC_ID, new.t_subject);
END;
)");
}

}  // namespace zenta
