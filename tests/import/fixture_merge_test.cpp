// Merging the shared Jet fixtures, plain and compressed, into main archives converted from
// sample.mdb: the outcomes the fixtures' notes promise.
#include <gtest/gtest.h>

#include "archive/connection.h"
#include "archive/jet_conversion.h"
#include "archive/query.h"
#include "archive/topic_list.h"
#include "archive/schema.h"
#include "archive_rows.h"
#include "base/codepage.h"
#include "import/archive_merge.h"
#include "import/merge_source.h"
#include "support/scoped_environment.h"
#include "support/test_archive.h"

namespace zenta {
namespace {

using test::Count;
using test::Rows;

class FixtureMerge : public ::testing::Test {
protected:
    void SetUp() override {
        if (!test::FixturesAvailable()) GTEST_SKIP() << "shared fixtures not present";
        environment_.Set("XDG_CACHE_HOME", dir_.File("cache"));
    }

    // A main archive converted from sample.mdb, with its rows or with none.
    std::unique_ptr<Connection> Main(const std::string& name, bool withRows) {
        const std::string path = dir_.File(name);
        ConvertJetArchive(test::FixturePath("sample.mdb"), path);
        if (!withRows)
            for (const char* table : kArchiveTables) test::RunSql(path, std::string("DELETE FROM ") + table);
        return std::make_unique<Connection>(path);
    }

    std::vector<std::string> MergeLines(Connection& main, const std::string& fixture) {
        auto from = OpenMergeSource(test::FixturePath(fixture));
        std::vector<std::string> lines;
        for (const TableCopy& copy : MergeArchive(main, *from)) lines.push_back(DescribeTableCopy(copy));
        return lines;
    }

    std::vector<std::int64_t> Counts(Connection& main) {
        std::vector<std::int64_t> counts;
        for (const char* table : kArchiveTables) counts.push_back(Count(main, table));
        return counts;
    }

    test::TempDir dir_;
    test::ScopedEnvironment environment_;
};

TEST_F(FixtureMerge, SampleIntoAnEmptyCopyThenAgain) {
    auto main = Main("zenta.mdb", false);
    EXPECT_EQ(MergeLines(*main, "sample.mdb"), (std::vector<std::string>{
                                                   "FORUM_CATEGORY: 18 added, 0 already present, 0 not copied",
                                                   "FORUM_FORUM: 17 added, 0 already present, 0 not copied",
                                                   "FORUM_MEMBERS: 17 added, 0 already present, 0 not copied",
                                                   "FORUM_REPLY: 210 added, 0 already present, 0 not copied",
                                                   "FORUM_TOPICS: 61 added, 0 already present, 0 not copied",
                                               }));
    EXPECT_EQ(MergeLines(*main, "sample.znt"), (std::vector<std::string>{
                                                   "FORUM_CATEGORY: 0 added, 18 already present, 0 not copied",
                                                   "FORUM_FORUM: 0 added, 17 already present, 0 not copied",
                                                   "FORUM_MEMBERS: 0 added, 17 already present, 0 not copied",
                                                   "FORUM_REPLY: 0 added, 210 already present, 0 not copied",
                                                   "FORUM_TOPICS: 0 added, 61 already present, 0 not copied",
                                               }));
    // Every value arrives as the converted archive holds it: Nulls, empty texts, long texts.
    auto sample = Main("sample.native", true);
    for (const char* table : kArchiveTables) {
        std::string all = std::string("select * from ") + table + " order by 1";
        EXPECT_EQ(Rows(*main, all), Rows(*sample, all)) << table;
    }
}

TEST_F(FixtureMerge, SampleExtraPlainAndCompressed) {
    for (const char* fixture : {"sample-extra.mdb", "sample-extra.znt"}) {
        SCOPED_TRACE(fixture);
        auto main = Main(std::string(fixture) + ".main", true);
        EXPECT_EQ(MergeLines(*main, fixture),
                  (std::vector<std::string>{
                      "FORUM_CATEGORY: 3 added, 2 already present, 0 not copied",
                      "FORUM_FORUM: 3 added, 1 already present, 0 not copied",
                      "FORUM_MEMBERS: 0 added, 0 already present, 0 not copied (the source archive has no such table)",
                      "FORUM_REPLY: 21 added, 3 already present, 0 not copied",
                      "FORUM_TOPICS: 8 added, 2 already present, 0 not copied",
                  }));
        EXPECT_EQ(Counts(*main), (std::vector<std::int64_t>{21, 20, 17, 231, 69}));
        // The main archive's own row wins over the duplicate.
        EXPECT_EQ(Rows(*main, "select t_subject from FORUM_TOPICS where TOPIC_ID = 101"),
                  Rows(*Main(std::string(fixture) + ".sample", true),
                       "select t_subject from FORUM_TOPICS where TOPIC_ID = 101"));
        // The title search finds the new topics: the merge keeps the title index up to date.
        std::vector<std::string> added = Rows(*main,
                                              "select t.TOPIC_ID || '|' || t.t_subject from FORUM_TOPICS t, "
                                              "FORUM_MEMBERS m where t.T_AUTHOR = m.MEMBER_ID "
                                              "and t.TOPIC_ID > 200");
        EXPECT_FALSE(added.empty());
        for (const std::string& topic : added) {
            size_t bar = topic.find('|');
            Query rs(main.get());
            ASSERT_TRUE(SearchTopics(rs, *main, SearchBy::Title, ToNarrow(topic.substr(bar + 1)))) << topic;
            bool found = false;
            for (; !rs.Eof(); rs.Next()) found = found || rs.FieldByName("TOPIC_ID").AsString() == topic.substr(0, bar);
            EXPECT_TRUE(found) << topic;
        }
        MergeLines(*main, fixture);
        EXPECT_EQ(Counts(*main), (std::vector<std::int64_t>{21, 20, 17, 231, 69}));
    }
}

TEST_F(FixtureMerge, WideRepliesAddNothingAndNarrowRepliesLackTheirForum) {
    auto main = Main("zenta.mdb", true);
    std::vector<std::string> wide = MergeLines(*main, "wide.mdb");
    EXPECT_EQ(wide.at(3),
              "FORUM_REPLY: 0 added, 0 already present, 10 not copied (the source table has 7 columns, "
              "the main archive's 6)");
    EXPECT_EQ(Counts(*main), (std::vector<std::int64_t>{20, 19, 20, 210, 66}));
    EXPECT_EQ(MergeLines(*main, "narrow.mdb").at(3), "FORUM_REPLY: 10 added, 0 already present, 0 not copied");
    EXPECT_EQ(Rows(*main, "select count(*) from FORUM_REPLY where REPLY_ID between 4001 and 4010 and FORUM_ID is null"),
              std::vector<std::string>{"10"});
    EXPECT_EQ(Counts(*main), (std::vector<std::int64_t>{22, 21, 23, 220, 71}));
}

TEST_F(FixtureMerge, NumberDatesBecomeTheTextTheBoardWouldWrite) {
    // sample-numdate holds the dates as numbers; a main archive with text dates gets them as
    // "20020423", never "20020423.0", so they sort and show as the board's own do.
    auto main = Main("zenta.mdb", false);
    MergeLines(*main, "sample-numdate.mdb");
    auto sample = Main("sample.native", true);
    for (const char* sql : {"select TOPIC_ID, t_date, T_LAST_POST from FORUM_TOPICS order by 1",
                            "select REPLY_ID, R_DATE from FORUM_REPLY order by 1"})
        EXPECT_EQ(Rows(*main, sql), Rows(*sample, sql)) << sql;
}

}  // namespace
}  // namespace zenta
