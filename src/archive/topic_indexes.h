// The indexes that make the topic list fast on big boards: the topics of a forum by its
// key and category, and a trigram index of the titles that the title search asks first.
#pragma once

struct sqlite3;

namespace zenta {

// Creates the indexes (after a bulk load; the trigram index is filled from the rows there).
// The trigram index is the table topic_title_trigrams, kept up to date by triggers.
// An archive whose FORUM_TOPICS lacks a column they need is left without them.
void CreateTopicListIndexes(sqlite3* db);

}  // namespace zenta
