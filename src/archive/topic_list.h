// The topic list: the forum listing and the search that fill the window's topic list `rs`,
// and the topic row, the ten columns both of them yield in a fixed order.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/value.h"

namespace zenta {

class Connection;
class Query;

// The topic row's column names, by position; the topic page reads a row by these positions.
inline constexpr std::array<const char*, 10> kTopicRowColumns = {"Title",    "ReadingTimes", "Speaker", "SpeakDate",
                                                                 "TOPIC_ID", "t_message",    "t_kind",  "t_language",
                                                                 "t_good",   "T_REPLIES"};

// The same positions by name: row[topic_row::kTopicId].
namespace topic_row {
enum Position : std::size_t {
    kTitle,
    kReadingTimes,
    kSpeaker,
    kSpeakDate,
    kTopicId,
    kMessage,
    kKind,
    kLanguage,
    kGood,
    kReplies,
};
}  // namespace topic_row
static_assert(std::string_view(kTopicRowColumns[topic_row::kTopicId]) == "TOPIC_ID" &&
              std::string_view(kTopicRowColumns[topic_row::kReplies]) == "T_REPLIES");

// The values of one topic row, by position.
using TopicRow = std::array<Value, kTopicRowColumns.size()>;

// What a search matches: the selected item of the "Select Condition" group.
enum class SearchBy { Title = 0, Author = 1 };

// Which rows of a listing or a search a page reads, by key rather than by offset, so that a
// page deep in a big forum costs what the first one does: every row (highest TOPIC_ID first),
// the rows below a key (highest first), or the rows above a key (lowest first: the page
// before a key is the first rows of that, reversed).
struct TopicKeyRange {
    enum class Side { All, Below, Above };
    Side side = Side::All;
    std::int64_t key = 0;
};

// Fills `rs` with the topics of every forum named by the caption (trimmed first), highest
// TOPIC_ID first. The caption travels as a parameter, so a name with a quote lists too.
// A failure raises the engine's error and leaves `rs` closed.
void ListForumTopics(Query& rs, Connection& connection, const std::string& caption, const TopicKeyRange& range = {});

// Fills `rs` with the topics whose title, or whose author's name, contains the words
// (trimmed first; "%" and "_" in them stay wildcards), highest TOPIC_ID first. Blank words
// run nothing and give false, leaving `rs` as it was.
bool SearchTopics(Query& rs, Connection& connection, SearchBy by, const std::string& words,
                  const TopicKeyRange& range = {});

// Fills `rs` with the topic rows of the topics in the order given (a ranked search's), as a
// listing shows them: a topic without its author's member row has no row.
void ListTopicsInOrder(Query& rs, Connection& connection, const std::vector<std::int64_t>& topics);

// Fills `rs` with the topic row of one topic, as a listing would show it: no row when there
// is no such topic or its author has no member row. The key is compared as it is given, so a
// real number or a text key finds its row too.
void OpenTopicRow(Query& rs, Connection& connection, const Value& topicId);
inline void OpenTopicRow(Query& rs, Connection& connection, std::int64_t topicId) {
    OpenTopicRow(rs, connection, Value::Integer(topicId));
}

// The current row of an open topic list, by position.
TopicRow ReadTopicRow(const Query& rs);

}  // namespace zenta
