#include "archive/content_search.h"

#include <sqlite3.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <string_view>
#include <unordered_map>

#include "archive/connection.h"
#include "archive/content_index.h"
#include "archive/content_words.h"
#include "archive/sqlite_handles.h"
#include "base/codepage.h"
#include "base/errors.h"

namespace zenta {
namespace {

// What a topic's texts hold of the words so far; masks have one bit a word.
struct TopicScore {
    std::int64_t topic = 0;
    std::uint64_t inTitle = 0;
    std::uint64_t inMessage = 0;
    std::uint64_t anywhere = 0;
    std::int64_t occurrences = 0;
    int span = INT_MAX;  // the fewest characters holding all the words in one text
};

// Where one text holds the words: each word's starting positions.
struct TextHits {
    std::vector<std::vector<int>> starts;
    void Clear() {
        for (auto& s : starts) s.clear();
    }
};

// The fewest characters from the first to the end of the last of a run of occurrences that
// holds every word; INT_MAX when some word is missing. Only a query of several words has one.
int ShortestSpan(const TextHits& hits, const std::vector<int>& lengths) {
    const std::size_t words = hits.starts.size();
    if (words < 2) return INT_MAX;
    std::vector<std::pair<int, int>> all;  // start, word
    for (std::size_t w = 0; w < words; ++w) {
        if (hits.starts[w].empty()) return INT_MAX;
        for (int start : hits.starts[w]) all.emplace_back(start, static_cast<int>(w));
    }
    std::sort(all.begin(), all.end());
    std::vector<int> inWindow(words, 0);
    std::size_t covered = 0, first = 0;
    int best = INT_MAX;
    for (std::size_t last = 0; last < all.size(); ++last) {
        if (inWindow[all[last].second]++ == 0) ++covered;
        while (covered == words) {
            best = std::min(best, all[last].first + lengths[all[last].second] - all[first].first);
            if (--inWindow[all[first].second] == 0) --covered;
            ++first;
        }
    }
    return best;
}

enum class Place { Title, Message, Reply };

class Scores {
public:
    explicit Scores(const std::vector<std::string>& words) : hits_{std::vector<std::vector<int>>(words.size())} {
        for (const std::string& word : words) lengths_.push_back(CharacterCount(word));
    }
    TextHits& hits() { return hits_; }

    // Adds what hits() holds for one text of the topic.
    void AddText(std::int64_t topic, Place place) {
        std::uint64_t mask = 0;
        std::int64_t occurrences = 0;
        for (std::size_t w = 0; w < hits_.starts.size(); ++w) {
            if (hits_.starts[w].empty()) continue;
            mask |= std::uint64_t{1} << w;
            occurrences += static_cast<std::int64_t>(hits_.starts[w].size());
        }
        if (!mask) return;
        auto [at, added] = index_.try_emplace(topic, scores_.size());
        if (added) scores_.push_back(TopicScore{topic});
        TopicScore& score = scores_[at->second];
        score.anywhere |= mask;
        if (place == Place::Title) score.inTitle |= mask;
        if (place == Place::Message) score.inMessage |= mask;
        score.occurrences += occurrences;
        score.span = std::min(score.span, ShortestSpan(hits_, lengths_));
    }

    // The topics that hold every word, best first.
    std::vector<std::int64_t> Ranked(std::int64_t limit) {
        const std::uint64_t all =
            hits_.starts.size() == 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << hits_.starts.size()) - 1;
        std::erase_if(scores_, [all](const TopicScore& s) { return s.anywhere != all; });
        auto better = [](const TopicScore& a, const TopicScore& b) {
            int titleA = std::popcount(a.inTitle), titleB = std::popcount(b.inTitle);
            if (titleA != titleB) return titleA > titleB;
            int messageA = std::popcount(a.inMessage), messageB = std::popcount(b.inMessage);
            if (messageA != messageB) return messageA > messageB;
            if (a.occurrences != b.occurrences) return a.occurrences > b.occurrences;
            if (a.span != b.span) return a.span < b.span;
            return a.topic > b.topic;
        };
        auto end = scores_.end();
        if (limit >= 0 && static_cast<std::size_t>(limit) < scores_.size()) {
            end = scores_.begin() + limit;
            std::partial_sort(scores_.begin(), end, scores_.end(), better);
        } else {
            std::sort(scores_.begin(), scores_.end(), better);
        }
        std::vector<std::int64_t> topics;
        topics.reserve(static_cast<std::size_t>(end - scores_.begin()));
        for (auto it = scores_.begin(); it != end; ++it) topics.push_back(it->topic);
        return topics;
    }

private:
    TextHits hits_;
    std::vector<int> lengths_;
    std::vector<TopicScore> scores_;
    std::unordered_map<std::int64_t, std::size_t> index_;
};

// The index's query: any of the words, each as the phrase of its pairs, or as the prefix of
// its one character.
std::string MatchExpression(const std::vector<std::string>& words) {
    std::string expression;
    for (const std::string& word : words) {
        if (!expression.empty()) expression += " OR ";
        expression += '"';
        for (char c : word) expression += c == '"' ? std::string("\"\"") : std::string(1, c);
        expression += CharacterCount(word) == 1 ? "\" *" : "\"";
    }
    return expression;
}

// Reads the triples of zenta_hits (phrase, column, position) into the hits of each column.
void ReadIndexHits(const void* blob, int bytes, int column, TextHits& hits) {
    const std::size_t count = static_cast<std::size_t>(bytes) / sizeof(std::int32_t);
    std::vector<std::int32_t> triples(count);
    if (count) std::memcpy(triples.data(), blob, count * sizeof(std::int32_t));
    hits.Clear();
    for (std::size_t i = 0; i + 2 < count; i += 3)
        if (triples[i + 1] == column && triples[i] >= 0 && static_cast<std::size_t>(triples[i]) < hits.starts.size())
            hits.starts[static_cast<std::size_t>(triples[i])].push_back(triples[i + 2]);
}

void ScoreByIndex(sqlite3* db, const std::vector<std::string>& words, Scores& scores) {
    const std::string match = MatchExpression(words);
    Statement topics(db, "SELECT rowid, zenta_hits(topic_words) FROM topic_words WHERE topic_words MATCH ?");
    topics.BindText(1, match);
    while (topics.Step()) {
        std::int64_t topic = topics.Integer(0);
        const void* blob = sqlite3_column_blob(topics.get(), 1);
        int bytes = sqlite3_column_bytes(topics.get(), 1);
        ReadIndexHits(blob, bytes, 0, scores.hits());
        scores.AddText(topic, Place::Title);
        ReadIndexHits(blob, bytes, 1, scores.hits());
        scores.AddText(topic, Place::Message);
    }
    // Replies are found by their own key; their topic is read beside each.
    Statement replies(db,
                            "SELECT r.TOPIC_ID, zenta_hits(reply_words) FROM reply_words CROSS JOIN FORUM_REPLY r "
                            "ON r.REPLY_ID = reply_words.rowid WHERE reply_words MATCH ? AND r.TOPIC_ID IS NOT NULL");
    replies.BindText(1, match);
    while (replies.Step()) {
        ReadIndexHits(sqlite3_column_blob(replies.get(), 1), sqlite3_column_bytes(replies.get(), 1), 0, scores.hits());
        scores.AddText(replies.Integer(0), Place::Reply);
    }
}

void FindWords(std::string_view text, const std::vector<std::string>& words, TextHits& hits) {
    for (std::size_t w = 0; w < words.size(); ++w) hits.starts[w] = FindWord(text, words[w]);
}

void ScoreByScan(sqlite3* db, const std::vector<std::string>& words, Scores& scores) {
    Statement topics(db, "SELECT TOPIC_ID, t_subject, t_message FROM FORUM_TOPICS");
    while (topics.Step()) {
        std::int64_t topic = topics.Integer(0);
        FindWords(topics.Text(1), words, scores.hits());
        scores.AddText(topic, Place::Title);
        FindWords(topics.Text(2), words, scores.hits());
        scores.AddText(topic, Place::Message);
    }
    Statement replies(db, "SELECT TOPIC_ID, R_MESSAGE FROM FORUM_REPLY WHERE TOPIC_ID IS NOT NULL");
    while (replies.Step()) {
        FindWords(replies.Text(1), words, scores.hits());
        scores.AddText(replies.Integer(0), Place::Reply);
    }
}

std::vector<std::string> WordsOf(const std::string& narrow) {
    std::vector<std::string> words = SplitContentWords(FromNarrow(narrow));
    if (words.size() > kMaxContentWords)
        throw Error("A content search looks for at most " + std::to_string(kMaxContentWords) + " words");
    return words;
}

// The text around `at` (a byte offset): a few characters before, more after, blanks folded
// into single spaces, "…" where it is cut.
std::string SnippetAround(std::string_view text, std::size_t at) {
    constexpr int kBefore = 12, kAfter = 48;
    std::size_t begin = 0;
    std::vector<std::size_t> starts;  // of the characters before `at`
    for (std::size_t i = 0; i < at; i += CharacterLength(text, i)) starts.push_back(i);
    if (starts.size() > kBefore) begin = starts[starts.size() - kBefore];
    std::size_t end = at;
    for (int n = 0; n < kAfter && end < text.size(); ++n) end += CharacterLength(text, end);
    std::string snippet = begin > 0 ? "…" : "";
    bool blank = false;
    for (std::size_t i = begin; i < end; ++i) {
        if (IsBlank(static_cast<unsigned char>(text[i]))) {
            blank = true;
            continue;
        }
        if (blank && !snippet.empty() && snippet != "…") snippet += ' ';
        blank = false;
        snippet += text[i];
    }
    if (end < text.size()) snippet += "…";
    return snippet;
}

// The first place in the text where one of the words begins, or npos.
std::size_t FirstOffset(std::string_view text, const std::vector<std::string>& words) {
    std::size_t first = std::string_view::npos;
    for (const std::string& word : words) first = std::min(first, FindWordOffset(text, word));
    return first;
}

}  // namespace

bool ContentIndexReady(Connection& connection) {
    return HasContentIndex(connection.handle()) && ReadContentIndexProgress(connection.handle()).complete;
}

std::vector<std::int64_t> SearchContent(Connection& connection, const std::string& narrowWords, ContentSearchWay way,
                                        std::int64_t limit) {
    std::vector<std::string> words = WordsOf(narrowWords);
    if (words.empty()) return {};
    sqlite3* db = connection.handle();
    Scores scores(words);
    if (way == ContentSearchWay::Index) {
        if (!ContentIndexReady(connection))
            throw Error("The content index is not ready; build it, or search by scanning every text");
        ScoreByIndex(db, words, scores);
    } else {
        ScoreByScan(db, words, scores);
    }
    return scores.Ranked(limit);
}

std::string ContentSnippet(Connection& connection, std::int64_t topic, const std::string& narrowWords) {
    std::vector<std::string> words = WordsOf(narrowWords);
    if (words.empty()) return {};
    sqlite3* db = connection.handle();
    Statement own(db, "SELECT t_subject, t_message FROM FORUM_TOPICS WHERE TOPIC_ID = ?");
    own.BindInteger(1, topic);
    if (own.Step()) {
        for (int column : {0, 1}) {
            std::string_view text = own.Text(column);
            if (std::size_t at = FirstOffset(text, words); at != std::string_view::npos)
                return ToNarrow(SnippetAround(text, at));
        }
    }
    Statement replies(db, "SELECT R_MESSAGE FROM FORUM_REPLY WHERE TOPIC_ID = ? ORDER BY R_DATE");
    replies.BindInteger(1, topic);
    while (replies.Step()) {
        std::string_view text = replies.Text(0);
        if (std::size_t at = FirstOffset(text, words); at != std::string_view::npos)
            return ToNarrow(SnippetAround(text, at));
    }
    return {};
}

}  // namespace zenta
