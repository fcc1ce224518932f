// The trigram index of the topics' titles, which the title search asks first on big boards.
#pragma once

struct sqlite3;

namespace zenta {

// Creates the index, the table topic_title_trigrams, after a bulk load: it is filled from
// the rows there and kept up to date by triggers. An archive whose FORUM_TOPICS lacks
// TOPIC_ID or t_subject is left without it.
void CreateTopicTitleIndex(sqlite3* db);

}  // namespace zenta
