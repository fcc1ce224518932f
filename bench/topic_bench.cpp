// Speed of the topic list and the topic page on a board of 1,000,000 topics: the first
// screen of the largest forum, title and author searches (beside a bare scan and the title
// index alone), and the page of the busiest topic.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include "archive/connection.h"
#include "archive/query.h"
#include "archive/topic_list.h"
#include "base/codepage.h"
#include "render/topic_page.h"
#include "support/bench_archive.h"

namespace zenta::bench {
namespace {

constexpr int kScreenRows = 50;  // about what the grid shows at once

const bench::CachedBoard& Board() { return MillionTopicBoard(); }

// Reads up to `rows` rows of the open list (all when negative); returns how many it read.
std::int64_t Walk(Query& rs, std::int64_t rows) {
    std::int64_t read = 0;
    for (; !rs.Eof() && read != rows; rs.Next(), ++read) benchmark::DoNotOptimize(ReadTopicRow(rs));
    return read;
}

void ListLargestForum(benchmark::State& state) {
    Connection connection(Board().path);
    Query rs;
    std::string caption = ToNarrow(Board().facts.largestForum);
    std::int64_t read = 0;
    for (auto _ : state) {
        ListForumTopics(rs, connection, caption);
        read = Walk(rs, state.range(0));
    }
    state.counters["rows"] = static_cast<double>(read);
}
BENCHMARK(ListLargestForum)->Arg(kScreenRows)->Arg(-1)->ArgName("rows")->Unit(benchmark::kMillisecond);

void Search(benchmark::State& state, SearchBy by, const char* words) {
    Connection connection(Board().path);
    Query rs;
    std::string narrow = ToNarrow(words);
    std::int64_t read = 0;
    for (auto _ : state) {
        SearchTopics(rs, connection, by, narrow);
        read = Walk(rs, state.range(0));
    }
    state.counters["rows"] = static_cast<double>(read);
}
BENCHMARK_CAPTURE(Search, title_common, SearchBy::Title, "数据库")
    ->Arg(kScreenRows)
    ->Arg(-1)
    ->ArgName("rows")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Search, title_rare, SearchBy::Title, "指针打印")
    ->Arg(kScreenRows)
    ->Arg(-1)
    ->ArgName("rows")
    ->Unit(benchmark::kMillisecond);
// Two characters are too few for the trigram index: a plain scan of the titles.
BENCHMARK_CAPTURE(Search, title_two_characters, SearchBy::Title, "线程")
    ->Arg(kScreenRows)
    ->Arg(-1)
    ->ArgName("rows")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Search, author, SearchBy::Author, "guru_1")
    ->Arg(kScreenRows)
    ->Arg(-1)
    ->ArgName("rows")
    ->Unit(benchmark::kMillisecond);

// The anchors of the searches: the engine alone counting the rows of a `like` scan of the
// column a search compares, and the title index alone naming the titles that hold the words.
// The engine holds the texts in UTF-8, so the words are bound as they are.
void BareLikeScan(benchmark::State& state, const char* table, const char* column, const char* words) {
    const std::string statement = std::string("select count(*) from ") + table + " where " + column + " like ?";
    BareCount(state, Board().path, statement.c_str(), std::string("%") + words + "%");
}
BENCHMARK_CAPTURE(BareLikeScan, title_common, "FORUM_TOPICS", "t_subject", "数据库")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BareLikeScan, title_rare, "FORUM_TOPICS", "t_subject", "指针打印")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BareLikeScan, title_two_characters, "FORUM_TOPICS", "t_subject", "线程")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BareLikeScan, title_kylix, "FORUM_TOPICS", "t_subject", "Kylix")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BareLikeScan, author, "FORUM_MEMBERS", "M_NAME", "guru_1")->Unit(benchmark::kMillisecond);

void TitleIndexQuery(benchmark::State& state, const char* words) {
    BareCount(state, Board().path, "select count(*) from topic_title_trigrams where topic_title_trigrams match ?",
              std::string("\"") + words + "\"");
}
BENCHMARK_CAPTURE(TitleIndexQuery, title_common, "数据库")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(TitleIndexQuery, title_rare, "指针打印")->Unit(benchmark::kMillisecond);

void BusiestTopicPage(benchmark::State& state) {
    Connection connection(Board().path);
    Query rs;
    OpenTopicRow(rs, connection, Board().facts.busiestTopic);
    TopicRow row = ReadTopicRow(rs);
    rs.Close();
    std::size_t bytes = 0;
    for (auto _ : state) bytes = MakeTopicPage(connection, row).size();
    state.counters["replies"] = static_cast<double>(Board().facts.busiestTopicReplies);
    state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BusiestTopicPage)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace zenta::bench
