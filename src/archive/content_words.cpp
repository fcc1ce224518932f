#include "archive/content_words.h"

#include <algorithm>

namespace zenta {
namespace {

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool MatchesAt(std::string_view text, std::size_t at, std::string_view word) {
    if (text.size() - at < word.size()) return false;
    for (std::size_t i = 0; i < word.size(); ++i)
        if (LowerAscii(text[at + i]) != word[i]) return false;
    return true;
}

}  // namespace

std::size_t CharacterLength(std::string_view text, std::size_t at) {
    unsigned char lead = static_cast<unsigned char>(text[at]);
    std::size_t want = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    std::size_t length = 1;
    while (length < want && at + length < text.size() && (static_cast<unsigned char>(text[at + length]) & 0xC0) == 0x80)
        ++length;
    return length;
}

std::vector<std::string> SplitContentWords(std::string_view query) {
    std::vector<std::string> words;
    std::string word;
    auto endWord = [&] {
        if (!word.empty() && std::find(words.begin(), words.end(), word) == words.end()) words.push_back(word);
        word.clear();
    };
    for (std::size_t at = 0; at < query.size(); ++at) {
        if (IsBlank(static_cast<unsigned char>(query[at]))) {
            endWord();
        } else if (query.substr(at, kIdeographicSpace.size()) == kIdeographicSpace) {
            endWord();
            at += kIdeographicSpace.size() - 1;
        } else {
            word += LowerAscii(query[at]);
        }
    }
    endWord();
    return words;
}

std::vector<int> FindWord(std::string_view text, std::string_view word) {
    std::vector<int> starts;
    if (word.empty()) return starts;
    int position = 0;
    for (std::size_t at = 0; at < text.size();) {
        if (IsBlank(static_cast<unsigned char>(text[at]))) {
            ++at;
            continue;
        }
        if (MatchesAt(text, at, word)) starts.push_back(position);
        at += CharacterLength(text, at);
        ++position;
    }
    return starts;
}

std::size_t FindWordOffset(std::string_view text, std::string_view word) {
    for (std::size_t at = 0; at < text.size(); at += CharacterLength(text, at))
        if (MatchesAt(text, at, word)) return at;
    return std::string_view::npos;
}

int CharacterCount(std::string_view word) {
    int count = 0;
    for (std::size_t at = 0; at < word.size(); at += CharacterLength(word, at)) ++count;
    return count;
}

}  // namespace zenta
