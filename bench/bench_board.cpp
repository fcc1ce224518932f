#include "bench_board.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>

#include <nlohmann/json.hpp>

namespace zenta::bench {
namespace {

std::string CacheFolder() {
    const char* folder = std::getenv("ZENTA_BENCH_CACHE");
    return folder && *folder ? folder : "/tmp/zenta-bench-cache";
}

}  // namespace

const BenchBoard& CachedBoard(std::int64_t topics) {
    static std::map<std::int64_t, BenchBoard> boards;
    auto found = boards.find(topics);
    if (found != boards.end()) return found->second;

    std::filesystem::create_directories(CacheFolder());
    std::string stem = CacheFolder() + "/board-" + std::to_string(topics);
    BenchBoard board{stem + ".mdb", {}};
    std::string factsPath = stem + ".facts.json";
    if (!std::filesystem::exists(board.path) || !std::filesystem::exists(factsPath)) {
        std::filesystem::remove(board.path);
        BoardShape shape;
        shape.topics = topics;
        board.facts = GenerateBoardArchive(board.path, shape);
        nlohmann::json facts = {{"largest_forum", board.facts.largestForum},
                                {"largest_forum_topics", board.facts.largestForumTopics},
                                {"busiest_topic", board.facts.busiestTopic},
                                {"busiest_topic_replies", board.facts.busiestTopicReplies}};
        std::ofstream(factsPath) << facts.dump() << "\n";
    } else {
        nlohmann::json facts = nlohmann::json::parse(std::ifstream(factsPath));
        board.facts.largestForum = facts.at("largest_forum");
        board.facts.largestForumTopics = facts.at("largest_forum_topics");
        board.facts.busiestTopic = facts.at("busiest_topic");
        board.facts.busiestTopicReplies = facts.at("busiest_topic_replies");
    }
    return boards.emplace(topics, std::move(board)).first->second;
}

}  // namespace zenta::bench
