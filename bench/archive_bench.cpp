// The category tree build and a title scan, the two costs of the engine layer on a big board.
#include <benchmark/benchmark.h>

#include "archive/category_tree.h"
#include "archive/connection.h"
#include "archive/query.h"
#include "support/bench_archive.h"

namespace zenta {
namespace {

void TreeBuild(benchmark::State& state) {
    BoardShape shape;
    shape.topics = 10000;
    shape.categories = 1000;
    shape.forums = 5000;
    Connection connection(bench::CachedArchive("tree-1000-categories", shape).path);
    for (auto _ : state) {
        TreeNode root;
        BuildCategoryTree(connection, root);
        benchmark::DoNotOptimize(root);
    }
}
BENCHMARK(TreeBuild)->Unit(benchmark::kMillisecond);

// A Jet `like '%...%'` title statement over a million topics, walked to its end.
void TitleLikeScan(benchmark::State& state) {
    Connection connection(bench::MillionTopicBoard().path);
    std::int64_t rows = 0;
    for (auto _ : state) {
        Query query(&connection);
        query.SQL().Add(
            "select TOPIC_ID,t_subject from FORUM_TOPICS where t_SUBJECT like '%Kylix%' order by TOPIC_ID desc");
        query.Open();
        rows = 0;
        for (; !query.Eof(); query.Next()) ++rows;
    }
    state.counters["rows"] = static_cast<double>(rows);
}
BENCHMARK(TitleLikeScan)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace zenta
