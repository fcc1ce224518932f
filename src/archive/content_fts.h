// What the content index adds to SQLite's FTS5: its tokenizer and the function that reads
// where a search's words occur in a row.
//
// The tokenizer, "zenta_pairs": every character that is not a blank
// yields one token, the pair it forms with the next character (ASCII letters lower-cased), or
// the character alone before a blank or the text's end. A word of two characters or more is
// then found exactly as the phrase of its pairs, and a word of one character as the prefix
// query of that character. Pairs serve Chinese, English and code alike: no dictionary, no
// word breaks, and words of two characters, the most common Chinese queries, are one token.
#pragma once

#include <functional>
#include <string_view>

struct sqlite3;

namespace zenta {

// Registers the tokenizer and zenta_hits(TABLE) on a connection; every connection that writes
// or reads the content index needs them. Raises DatabaseError when the engine has no FTS5.
// zenta_hits gives, for the current row of a MATCH query, every occurrence of its phrases as
// a blob of 32-bit triples in the machine's order: phrase, column, position (in tokens).
void RegisterContentFts(sqlite3* db);

// The tokens the tokenizer gives a text being indexed, in order (the n-th at position n).
void ForEachContentToken(std::string_view text, const std::function<void(std::string_view token)>& visit);

}  // namespace zenta
