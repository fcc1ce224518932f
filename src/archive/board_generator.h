// Writes a native archive of a made-up but realistic board, for demos, tests and
// benchmarks. The same options always give the same archive.
#pragma once

#include <cstdint>
#include <string>

namespace zenta {

struct BoardShape {
    std::int64_t topics = 1000;
    std::int64_t replies = -1;     // -1: three per topic
    std::int64_t categories = -1;  // -1: grows with the topics, nested five levels deep
    std::int64_t forums = -1;      // -1: grows with the topics
    std::uint64_t seed = 1;
};

// Facts about the archive written, for benchmarks that need to find their way in it.
struct BoardFacts {
    std::string largestForum;  // the F_SUBJECT (UTF-8) of the forum with most topics
    std::int64_t largestForumTopics = 0;
    std::int64_t busiestTopic = 0;  // TOPIC_ID of the topic with most replies
    std::int64_t busiestTopicReplies = 0;
};

// Refuses to overwrite an existing file. The archive appears at `path` only when complete.
BoardFacts GenerateBoardArchive(const std::string& path, const BoardShape& shape);

}  // namespace zenta
