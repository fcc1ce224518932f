// The generated board that the benchmarks run on: made once, then kept in a cache folder
// ($ZENTA_BENCH_CACHE, else /tmp/zenta-bench-cache) between runs.
#pragma once

#include <cstdint>
#include <string>

#include "archive/board_generator.h"

namespace zenta::bench {

struct BenchBoard {
    std::string path;
    BoardFacts facts;  // largestForum is UTF-8
};

// The board of `topics` topics (three replies each), generated on first use.
const BenchBoard& CachedBoard(std::int64_t topics);

}  // namespace zenta::bench
