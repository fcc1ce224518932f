#include "support/bench_archive.h"

#include "archive/connection.h"

#include <sqlite3.h>

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

void BareCount(benchmark::State& state, const std::string& archive, const char* statement, const std::string& parameter,
               const char* counter) {
    Connection connection(archive);
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(connection.handle(), statement, -1, &stmt, nullptr) != SQLITE_OK)
        return state.SkipWithError(sqlite3_errmsg(connection.handle()));
    sqlite3_bind_text(stmt, 1, parameter.data(), static_cast<int>(parameter.size()), SQLITE_STATIC);
    std::int64_t count = 0;
    for (auto _ : state) {
        sqlite3_reset(stmt);
        if (sqlite3_step(stmt) == SQLITE_ROW) count = sqlite3_column_int64(stmt, 0);
    }
    sqlite3_finalize(stmt);
    state.counters[counter] = static_cast<double>(count);
}

}  // namespace zenta::bench
