// The trigram index of the topics' titles, which the title search asks first on big boards.
// It is kept up to date by the code that adds topics (the merge), not by triggers: with
// trusted schema off, a trigger may not write a full-text table.
#pragma once

#include "archive/sqlite_handles.h"

struct sqlite3;

namespace zenta {

// Creates the index, the table topic_title_trigrams, after a bulk load: it is filled from
// the rows there. An archive whose FORUM_TOPICS lacks TOPIC_ID or t_subject is left without it.
void CreateTopicTitleIndex(sqlite3* db);

// The statement that adds the title of the topic whose TOPIC_ID is bound as ?1 to the index;
// an empty Statement when the archive has no index.
Statement PrepareTitleIndexInsert(sqlite3* db);

// Drops the triggers that kept the index in older archives: they cannot run any more.
void DropTitleIndexTriggers(sqlite3* db);

}  // namespace zenta
