#include "support/bench_archive.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>

namespace zenta::bench {

std::string CacheFolder() {
    if (const char* folder = std::getenv("ZENTA_BENCH_CACHE")) return folder;
    const char* home = std::getenv("HOME");
    return std::string(home ? home : "/tmp") + "/.cache/zenta-bench";
}

CachedBoard CachedArchive(const std::string& name, const BoardShape& shape) {
    std::filesystem::create_directories(CacheFolder());
    CachedBoard board{CacheFolder() + "/" + name + ".mdb", {}};
    const std::string factsPath = board.path + ".facts";
    if (!std::filesystem::exists(board.path) || !std::filesystem::exists(factsPath)) {
        std::filesystem::remove(board.path);
        std::cerr << "generating " << board.path << " ...\n";
        board.facts = GenerateBoardArchive(board.path, shape);
        std::ofstream(factsPath) << board.facts.largestForum << "\n"
                                 << board.facts.largestForumTopics << "\n"
                                 << board.facts.busiestTopic << "\n"
                                 << board.facts.busiestTopicReplies << "\n";
    } else {
        std::ifstream facts(factsPath);
        std::getline(facts, board.facts.largestForum);
        facts >> board.facts.largestForumTopics >> board.facts.busiestTopic >> board.facts.busiestTopicReplies;
    }
    return board;
}

const CachedBoard& MillionTopicBoard() {
    static const CachedBoard board = [] {
        BoardShape shape;
        shape.topics = 1000000;
        return CachedArchive("topics-1m", shape);
    }();
    return board;
}

}  // namespace zenta::bench
