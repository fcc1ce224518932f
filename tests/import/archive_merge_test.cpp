// Merging archives: refused rows dropped, tables of other shapes, batches with the same
// outcome, and the source forms a user can pick.
#include <gtest/gtest.h>
#include <zlib.h>

#include <atomic>
#include <filesystem>
#include <fstream>

#include <sqlite3.h>

#include "archive/connection.h"
#include "archive/content_index.h"
#include "archive/content_search.h"
#include "base/codepage.h"
#include "archive_rows.h"
#include "import/archive_merge.h"
#include "import/merge_source.h"
#include "import/unpack_archive.h"
#include "support/scoped_environment.h"
#include "support/test_archive.h"

namespace zenta {
namespace {

using test::Count;
using test::Rows;

// The main archive holds a little of everything; the source repeats some keys (like the
// shared fixture sample-extra) and has no FORUM_MEMBERS table.
const char* kMainRows = R"(
INSERT INTO FORUM_CATEGORY VALUES (1, 'Delphi', 0, 30, 1), (12, '  数据库与报表  ', 1, 2, 1);
INSERT INTO FORUM_FORUM VALUES (1, 1, 'Delphi 基础', NULL, 2);
INSERT INTO FORUM_MEMBERS VALUES (1, 'Tom', NULL, 3), (6, '来啊', NULL, NULL);
INSERT INTO FORUM_TOPICS (TOPIC_ID, FORUM_ID, CAT_ID, T_AUTHOR, t_subject) VALUES (101, 1, 1, 1, 'old'), (110, 1, 1, 6, 'old');
INSERT INTO FORUM_REPLY VALUES (1, 101, 1, 'old', '20020101', 1), (50, 101, 6, 'old', '20020102', 1);
)";

const char* kExtraRows = R"(
DROP TABLE FORUM_MEMBERS;
INSERT INTO FORUM_CATEGORY VALUES (201, 'New', 0, 5, 1), (1, 'dup', 0, 1, 1), (202, 'Child', 201, 1, 1), (12, 'dup', 0, 1, 1);
INSERT INTO FORUM_FORUM VALUES (201, 201, 'New forum', 'd', 1), (1, 1, 'dup', NULL, 0);
INSERT INTO FORUM_TOPICS (TOPIC_ID, FORUM_ID, CAT_ID, T_AUTHOR, t_subject) VALUES
  (201, 201, 201, 14, 'new'), (101, 1, 1, 1, 'dup'), (202, 201, 201, 1, '新'), (110, 1, 1, 1, 'dup');
INSERT INTO FORUM_REPLY VALUES (1001, 201, 1, 'new', '20030101', 201), (1, 201, 1, 'dup', NULL, 201),
  (1002, 202, 6, '回复', '20030102120000', 201), (50, 1, 1, 'dup', NULL, 1), (1003, 202, 1, NULL, NULL, NULL);
)";

class Merge : public ::testing::Test {
protected:
    void SetUp() override {
        test::MakeArchive(main_path_, kMainRows);
        main_.Open(main_path_);
    }

    std::vector<std::string> MergeLines(const std::string& source, MergeOptions options = {}) {
        auto from = OpenMergeSource(source);
        std::vector<std::string> lines;
        for (const TableCopy& copy : MergeArchive(main_, *from, options)) lines.push_back(DescribeTableCopy(copy));
        return lines;
    }

    test::TempDir dir_;
    std::string main_path_ = dir_.File("zenta.mdb");
    Connection main_;
};

TEST_F(Merge, DuplicateKeysAreRefusedAndAMissingTableSkipped) {
    const std::string source = dir_.File("extra.mdb");
    test::MakeArchive(source, kExtraRows);
    EXPECT_EQ(MergeLines(source),
              (std::vector<std::string>{
                  "FORUM_CATEGORY: 2 added, 2 already present, 0 not copied",
                  "FORUM_FORUM: 1 added, 1 already present, 0 not copied",
                  "FORUM_MEMBERS: 0 added, 0 already present, 0 not copied (the source archive has no such table)",
                  "FORUM_REPLY: 3 added, 2 already present, 0 not copied",
                  "FORUM_TOPICS: 2 added, 2 already present, 0 not copied",
              }));
    // The main archive's own rows win; the new rows arrive whole, Nulls and texts included.
    EXPECT_EQ(Rows(main_, "select cat_name from FORUM_CATEGORY where cat_id in (1, 12) order by cat_id"),
              (std::vector<std::string>{"Delphi", "  数据库与报表  "}));
    EXPECT_EQ(Rows(main_, "select * from FORUM_REPLY where REPLY_ID > 1000 order by REPLY_ID"),
              (std::vector<std::string>{"1001|201|1|new|20030101|201", "1002|202|6|回复|20030102120000|201",
                                        "1003|202|1|<null>|<null>|<null>"}));
    EXPECT_EQ(Count(main_, "FORUM_MEMBERS"), 2);

    // Merging again adds nothing and raises nothing.
    EXPECT_EQ(MergeLines(source),
              (std::vector<std::string>{
                  "FORUM_CATEGORY: 0 added, 4 already present, 0 not copied",
                  "FORUM_FORUM: 0 added, 2 already present, 0 not copied",
                  "FORUM_MEMBERS: 0 added, 0 already present, 0 not copied (the source archive has no such table)",
                  "FORUM_REPLY: 0 added, 5 already present, 0 not copied",
                  "FORUM_TOPICS: 0 added, 4 already present, 0 not copied",
              }));
    EXPECT_EQ(Count(main_, "FORUM_REPLY"), 5);
}

TEST_F(Merge, TablesOfOtherShapesAreMatchedByPosition) {
    // wide: a trailing extra column makes the table contribute no rows; narrow: the missing
    // trailing column stays Null. Column names play no part.
    const std::string wide = dir_.File("wide.mdb");
    test::MakeArchive(wide, R"(
DROP TABLE FORUM_REPLY;
CREATE TABLE FORUM_REPLY (REPLY_ID INTEGER PRIMARY KEY, TOPIC_ID INTEGER, R_AUTHOR INTEGER, R_MESSAGE TEXT,
  R_DATE TEXT, FORUM_ID INTEGER, R_IP TEXT);
INSERT INTO FORUM_REPLY VALUES (3001, 101, 1, 'w', '20040101', 1, '192.168.0.1'), (3002, 101, 1, 'w', NULL, 1, NULL);
INSERT INTO FORUM_MEMBERS VALUES (301, 'wide member', NULL, 0);
)");
    const std::string narrow = dir_.File("narrow.mdb");
    test::MakeArchive(narrow, R"(
DROP TABLE FORUM_REPLY;
CREATE TABLE FORUM_REPLY (id INTEGER PRIMARY KEY, topic INTEGER, author INTEGER, body TEXT, posted TEXT);
INSERT INTO FORUM_REPLY VALUES (4001, 101, 1, 'n', '20050101'), (4002, 110, 6, 'n2', '20050102');
)");
    std::vector<std::string> lines = MergeLines(wide);
    EXPECT_EQ(lines.at(2), "FORUM_MEMBERS: 1 added, 0 already present, 0 not copied");
    EXPECT_EQ(
        lines.at(3),
        "FORUM_REPLY: 0 added, 0 already present, 2 not copied (the source table has 7 columns, the main archive's 6)");
    EXPECT_EQ(MergeLines(narrow).at(3),
              "FORUM_REPLY: 2 added, 0 already present, 0 not copied (copied by position: the column names differ from "
              "the main archive's)");
    EXPECT_EQ(Rows(main_, "select * from FORUM_REPLY where REPLY_ID > 3000 order by REPLY_ID"),
              (std::vector<std::string>{"4001|101|1|n|20050101|<null>", "4002|110|6|n2|20050102|<null>"}));
}

TEST_F(Merge, RefusedRowsAreDroppedAndOtherErrorsEndTheTableInEveryBatchSize) {
    // Row 2 lacks a required value, row 3 its key (SQLite would make one up), row 4 is a
    // duplicate; row 6 holds a value the column cannot take, which ends the copy.
    test::RunSql(main_path_, R"(
CREATE TABLE T (id INTEGER PRIMARY KEY, name TEXT NOT NULL, n INTEGER) STRICT;
INSERT INTO T VALUES (4, 'old', 0);
)");
    const std::string source = dir_.File("rows.mdb");
    test::MakeArchive(source, R"(
CREATE TABLE T (id, name, n);
INSERT INTO T VALUES (1, 'a', 1), (2, NULL, 2), (NULL, 'c', 3), (4, 'dup', 4), (5, 'e', 5), (6, 'f', 'not a number'),
  (7, 'g', 7);
)");
    for (std::int64_t batch : {0, 1, 2, 3, 1000}) {
        SCOPED_TRACE(batch);
        test::RunSql(main_path_, "DELETE FROM T WHERE id <> 4");
        Connection from(source);
        MergeOptions options;
        options.batchRows = batch;
        TableCopy copy = CopyTableRows(main_, from, " T ", "T\t", options);
        EXPECT_EQ(copy.table, "T");
        EXPECT_EQ(copy.sourceRows, 7);
        EXPECT_EQ(copy.added, 2);
        EXPECT_EQ(copy.alreadyPresent, 1);
        EXPECT_EQ(copy.notCopied, 4);
        EXPECT_NE(copy.problem.find("cannot store TEXT value"), std::string::npos) << copy.problem;
        EXPECT_EQ(Rows(main_, "select * from T order by id"), (std::vector<std::string>{"1|a|1", "4|old|0", "5|e|5"}));
    }
}

// The merge indexes what it adds in its own transactions, on a connection that does not trust
// the archive's schema; a build stopped part way indexes the rows past where it stopped itself.
TEST_F(Merge, TheContentIndexFollowsTheMerge) {
    ASSERT_EQ(sqlite3_exec(main_.handle(), "PRAGMA trusted_schema=OFF", nullptr, nullptr, nullptr), SQLITE_OK);
    const std::string source = dir_.File("extra.mdb");
    test::MakeArchive(source, kExtraRows);
    for (bool stopped : {false, true}) {
        SCOPED_TRACE(stopped ? "build stopped after one batch" : "complete index");
        main_.Close();
        std::filesystem::remove(main_path_);
        SetUp();
        std::atomic<bool> stop{false};
        ContentIndexBuild build;
        build.batchTexts = 1;
        build.stop = &stop;
        build.progress = [&](const ContentIndexProgress&) { stop = stopped; };
        EXPECT_EQ(BuildContentIndex(main_.handle(), build), !stopped);
        MergeLines(source);
        build.progress = nullptr;
        stop = false;
        EXPECT_TRUE(BuildContentIndex(main_.handle(), build));
        EXPECT_EQ(CheckContentIndex(main_.handle()), "");
        EXPECT_EQ(SearchContent(main_, ToNarrow("回复"), ContentSearchWay::Index), std::vector<std::int64_t>{202});
        EXPECT_EQ(SearchContent(main_, "NEW", ContentSearchWay::Index), std::vector<std::int64_t>{201});
    }
}

TEST_F(Merge, TableMissingInTheMainArchiveIsSkipped) {
    const std::string source = dir_.File("extra.mdb");
    test::MakeArchive(source, kExtraRows);
    test::RunSql(main_path_, "DROP TABLE FORUM_FORUM");
    std::vector<std::string> lines = MergeLines(source);
    EXPECT_EQ(lines.at(1),
              "FORUM_FORUM: 0 added, 0 already present, 2 not copied (the main archive has no such table)");
    EXPECT_EQ(lines.at(4), "FORUM_TOPICS: 2 added, 2 already present, 0 not copied");
}

TEST_F(Merge, ProgressCountsEveryRowOfTheSource) {
    const std::string source = dir_.File("extra.mdb");
    test::MakeArchive(source, kExtraRows);
    std::vector<std::pair<std::int64_t, std::int64_t>> calls;
    MergeOptions options;
    options.batchRows = 2;
    options.progress = [&](std::int64_t done, std::int64_t total) { calls.emplace_back(done, total); };
    MergeLines(source, options);
    ASSERT_FALSE(calls.empty());
    for (size_t i = 0; i < calls.size(); ++i) {
        EXPECT_EQ(calls[i].second, 15);
        if (i > 0) {
            EXPECT_GE(calls[i].first, calls[i - 1].first);
        }
    }
    EXPECT_EQ(calls.back().first, 15);
    EXPECT_GT(calls.size(), 5u);
}

TEST(MergeSource, CompressedArchivesAreKnownByTheirExtension) {
    struct Case {
        const char* name;
        bool compressed;
    } cases[] = {
        {"/a/b.znt", true},      {"/a/b.ZNT", true}, {"/a/b.Znt", true},   {"b.znt", true},
        {"/a/b.znt.mdb", false}, {"/a/b", false},    {"/a.znt/b", false},  {"/a/b.mdb", false},
        {"/a/bznt", false},      {"/a/.znt", true},  {"/a/b.znt2", false}, {"", false},
    };
    for (const Case& c : cases) EXPECT_EQ(IsCompressedArchiveName(c.name), c.compressed) << c.name;
}

TEST_F(Merge, CompressedNativeSourceIsUnpackedIntoTheCacheFolder) {
    const std::string plain = dir_.File("extra.mdb");
    test::MakeArchive(plain, kExtraRows);
    std::string bytes = test::ReadFile(plain);
    uLongf size = compressBound(bytes.size());
    std::string stream(size, '\0');
    ASSERT_EQ(compress2(reinterpret_cast<Bytef*>(stream.data()), &size, reinterpret_cast<const Bytef*>(bytes.data()),
                        bytes.size(), 6),
              Z_OK);
    stream.resize(size);
    auto n = static_cast<std::uint32_t>(bytes.size());
    std::ofstream(dir_.File("extra.ZNT"), std::ios::binary)
        << std::string{static_cast<char>(n & 0xFF), static_cast<char>(n >> 8 & 0xFF), static_cast<char>(n >> 16 & 0xFF),
                       static_cast<char>(n >> 24)}
        << stream;
    test::ScopedEnvironment environment;
    environment.Set("XDG_CACHE_HOME", dir_.File("cache"));
    EXPECT_EQ(MergeLines(dir_.File("extra.ZNT")).at(4), "FORUM_TOPICS: 2 added, 2 already present, 0 not copied");
    EXPECT_EQ(test::ReadFile(dir_.File("cache/zenta/tmp.tst")), bytes);
    // A damaged one leaves tmp.tst empty and opens nothing.
    std::ofstream(dir_.File("bad.znt"), std::ios::binary) << std::string("\x10\x00\x00\x00not zlib", 12);
    EXPECT_THROW(OpenMergeSource(dir_.File("bad.znt")), zenta::ZlibError);
    EXPECT_EQ(test::ReadFile(dir_.File("cache/zenta/tmp.tst")), "");
}

TEST_F(Merge, FileThatIsNoArchiveRaisesTheEngineError) {
    std::ofstream(dir_.File("page.html")) << "<html><body>not an archive</body></html>";
    EXPECT_THROW(OpenMergeSource(dir_.File("page.html")), DatabaseError);
    EXPECT_THROW(OpenMergeSource(dir_.File("missing.mdb")), DatabaseError);
}

TEST_F(Merge, CommandLinePrintsOneLinePerTable) {
    const std::string source = dir_.File("extra.mdb");
    test::MakeArchive(source, kExtraRows);
    main_.Close();
    std::string out;
    std::string err;
    ASSERT_EQ(test::RunCli("merge '" + main_path_ + "' '" + source + "'", &out, &err), 0) << err;
    EXPECT_EQ(out,
              "FORUM_CATEGORY: 2 added, 2 already present, 0 not copied\n"
              "FORUM_FORUM: 1 added, 1 already present, 0 not copied\n"
              "FORUM_MEMBERS: 0 added, 0 already present, 0 not copied (the source archive has no such table)\n"
              "FORUM_REPLY: 3 added, 2 already present, 0 not copied\n"
              "FORUM_TOPICS: 2 added, 2 already present, 0 not copied\n");
    test::ScopedEnvironment environment;
    environment.Set("XDG_CACHE_HOME", dir_.File("cache"));
    EXPECT_EQ(test::RunCli("merge '" + main_path_ + "' '" + dir_.File("missing.znt") + "'", &out, &err), 1);
    EXPECT_NE(err.find("missing.znt"), std::string::npos) << err;
}

}  // namespace
}  // namespace zenta
