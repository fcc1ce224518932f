// Speed of the content search on the board of 1,000,000 topics and 3,000,000 replies with its
// content index (bench/run builds it once with `zenta-cli index`, timed): the first 50 ranked
// topics with their snippets and every match, beside the engine's bare scan of the same texts.
#include <benchmark/benchmark.h>

#include "archive/connection.h"
#include "archive/content_search.h"
#include "archive/query.h"
#include "archive/topic_list.h"
#include "base/codepage.h"
#include "support/bench_archive.h"

namespace zenta::bench {
namespace {

constexpr int kScreenRows = 50;

const std::string& IndexedBoard() {
    static const std::string path = CacheFolder() + "/topics-1m-content.mdb";
    return path;
}

// The ranked search, then the rows of the first `rows` topics (all when negative) read as the
// grid reads them, with their snippets when asked.
void ContentSearch(benchmark::State& state, const char* words) {
    Connection connection(IndexedBoard());
    Query rs;
    const std::string narrow = ToNarrow(words);
    const std::int64_t rows = state.range(0);
    std::size_t matches = 0;
    std::int64_t read = 0;
    for (auto _ : state) {
        std::vector<std::int64_t> topics = SearchContent(connection, narrow, ContentSearchWay::Index, rows);
        ListTopicsInOrder(rs, connection, topics);
        for (read = 0; !rs.Eof(); rs.Next(), ++read) {
            benchmark::DoNotOptimize(ReadTopicRow(rs));
            if (rows >= 0) benchmark::DoNotOptimize(ContentSnippet(connection, rs.Fields(4).integer(), narrow));
        }
        matches = topics.size();
    }
    if (rows < 0) state.counters["matches"] = static_cast<double>(matches);
    state.counters["rows"] = static_cast<double>(read);
}
#define CONTENT_SEARCH(name, words) \
    BENCHMARK_CAPTURE(ContentSearch, name, words)->Arg(kScreenRows)->ArgName("rows")->Unit(benchmark::kMillisecond)
CONTENT_SEARCH(two_characters, "死锁");
CONTENT_SEARCH(two_characters_common, "线程");
CONTENT_SEARCH(four_characters, "存储过程");
CONTENT_SEARCH(english, "Synchronize");
CONTENT_SEARCH(identifier, "TStringList");
CONTENT_SEARCH(two_words, "死锁 线程");
BENCHMARK_CAPTURE(ContentSearch, common_every_match, "数据库")
    ->Arg(-1)
    ->ArgName("rows")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK_CAPTURE(ContentSearch, rare_every_match, "死锁")
    ->Arg(-1)
    ->ArgName("rows")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

// The anchor: the engine alone counting the topics whose title, message or a reply holds the
// word, by `instr` over the ASCII-lower-cased texts (a `like` scan for one word).
void BareContentScan(benchmark::State& state, const char* word) {
    std::string lower = word;
    for (char& c : lower) c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    BareCount(
        state, IndexedBoard(),
        "SELECT count(*) FROM (SELECT TOPIC_ID FROM FORUM_TOPICS WHERE instr(lower(t_subject), ?1) "
        "OR instr(lower(t_message), ?1) UNION SELECT TOPIC_ID FROM FORUM_REPLY WHERE instr(lower(R_MESSAGE), ?1))",
        lower, "matches");
}
BENCHMARK_CAPTURE(BareContentScan, common, "数据库")->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_CAPTURE(BareContentScan, rare, "死锁")->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace zenta::bench
