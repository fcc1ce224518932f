// The content search: the topics whose texts (title, message and every reply) hold all the
// words, best first, each word found as content_words.h matches it. The index answers when
// it is complete; a scan of every text answers the same, slowly, when it is not. Both rank
// alike: topics with more of the words in the title first, then more of them in the message,
// then more occurrences in all the texts, then the words closer together in one text (fewer
// characters from the first word to the end of the last), then the newest (highest TOPIC_ID).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace zenta {

class Connection;

enum class ContentSearchWay { Index, Scan };

// At most this many words are looked for; more raise Error.
inline constexpr std::size_t kMaxContentWords = 64;

// The TOPIC_IDs of the matching topics, best first; at most `limit` of them when it is not
// negative. The words are narrow (GB18030) and separated by blanks; blank words find nothing.
// The index way raises Error when the index is not complete.
std::vector<std::int64_t> SearchContent(Connection& connection, const std::string& words, ContentSearchWay way,
                                        std::int64_t limit = -1);

// Whether the content index is there and complete, so that a search may use it.
bool ContentIndexReady(Connection& connection);

// Where the words were found in a topic: the text around the first place one of them appears,
// looked for in the title, the message, then the replies as the page shows them. Narrow; empty
// when the topic holds none of them.
std::string ContentSnippet(Connection& connection, std::int64_t topic, const std::string& words);

}  // namespace zenta
