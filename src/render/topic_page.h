// The topic page: one HTML table with the topic's header, its text and its replies, built
// in the narrow code page from a topic row and the topic's reply rows.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "archive/topic_list.h"

namespace zenta {

class Connection;

// One row of the reply query, its columns read as text (a Null as empty text).
struct ReplyRow {
    std::string message;
    std::string date;
    std::string author;
};

// Runs the reply query for the row's topic id, bound as a parameter: the replies whose author
// has a member row, in raw R_DATE order. A Null topic id raises the conversion error.
std::vector<ReplyRow> ReadReplies(Connection& connection, const TopicRow& row);

// The three header labels, each chosen on its own from the row's kind, language and grade.
std::string KindLabel(const Value& kind);
std::string LanguageLabel(const Value& language);
std::string GradeLabel(const Value& grade);

// Replaces every occurrence of `pattern` that starts on a character boundary of the
// narrow text (a byte 81..FE starts a two-byte unit), scanning left to right.
std::string ReplaceAllOnCharacters(std::string_view text, std::string_view pattern, std::string_view replacement);

// The page of the row and its replies, line breaks, full-width spaces and board codes
// turned into HTML. Nulls in the header show as empty text.
std::string BuildTopicPage(const TopicRow& row, const std::vector<ReplyRow>& replies);

// Reads the replies and builds the page: what a click on a topic row shows.
std::string MakeTopicPage(Connection& connection, const TopicRow& row);

}  // namespace zenta
