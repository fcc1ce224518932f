// The words of a content search and how they match a text: a word is found wherever it
// appears as a substring, its characters taken literally, ASCII letters without regard to
// case. Both the index's tokenizer and the scan read texts through these rules, so that they
// find the same places.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace zenta {

// A blank separates words; it is any byte up to the space (as Trim takes them away).
inline bool IsBlank(unsigned char byte) { return byte <= 32; }

// The length in bytes of the character that starts at `at`: a UTF-8 lead byte with the
// continuation bytes that follow it; a stray byte counts as one character.
std::size_t CharacterLength(std::string_view text, std::size_t at);

// The ideographic space (U+3000), which Chinese input methods type between words: it separates
// the words of a query as a blank does. In a text it is a character like any other.
inline constexpr std::string_view kIdeographicSpace = "\xE3\x80\x80";

// The words (UTF-8) between blanks and ideographic spaces, in order, each once, ASCII letters
// lower-cased.
std::vector<std::string> SplitContentWords(std::string_view query);

// Where a word (as SplitContentWords gives it) appears in a text: the start of each
// occurrence, counted in characters that are not blanks, overlapping occurrences included.
// This is the position the index gives the same occurrence.
std::vector<int> FindWord(std::string_view text, std::string_view word);

// The byte offset of the word's first occurrence in the text, or npos.
std::size_t FindWordOffset(std::string_view text, std::string_view word);

// The number of characters of a word.
int CharacterCount(std::string_view word);

}  // namespace zenta
