// Generated archives for benchmarks, made once and kept in a cache folder between runs
// ($ZENTA_BENCH_CACHE, else ~/.cache/zenta-bench).
#pragma once

#include <benchmark/benchmark.h>

#include <string>

#include "archive/board_generator.h"

namespace zenta::bench {

struct CachedBoard {
    std::string path;
    BoardFacts facts;
};

// The cache folder.
std::string CacheFolder();

// The archive of that shape under `name`, generated when it is not in the cache yet.
CachedBoard CachedArchive(const std::string& name, const BoardShape& shape);

// The engine alone, no layer of this program between: runs the statement (one "?" bound to
// `parameter`, UTF-8) on the archive at each iteration; its count goes in the counter `counter`.
void BareCount(benchmark::State& state, const std::string& archive, const char* statement, const std::string& parameter,
               const char* counter = "rows");

// The big board most benchmarks browse: 1,000,000 topics with three replies each, one forum
// of about 100,000 topics, and in it one topic of about 5,000 replies.
const CachedBoard& MillionTopicBoard();

}  // namespace zenta::bench
