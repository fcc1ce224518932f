// The merge among strangers and other instances: columns matched by name, a cancel flag that
// keeps whole batches, and a main archive that readers and a merge share without waiting.
#include <gtest/gtest.h>

#include <atomic>

#include "archive/connection.h"
#include "archive/query.h"
#include "archive/topic_list.h"
#include "archive_rows.h"
#include "base/codepage.h"
#include "import/archive_merge.h"
#include "support/test_archive.h"

namespace zenta {
namespace {

using test::Count;
using test::Rows;

const char* kMainRows = R"(
INSERT INTO FORUM_CATEGORY VALUES (1, 'Delphi', 0, 30, 1);
INSERT INTO FORUM_FORUM VALUES (1, 1, 'Tips', NULL, 2);
INSERT INTO FORUM_MEMBERS VALUES (1, 'Tom', NULL, 3);
INSERT INTO FORUM_TOPICS (TOPIC_ID, FORUM_ID, CAT_ID, T_AUTHOR, t_subject) VALUES (101, 1, 1, 1, 'old');
)";

class MergeSafety : public ::testing::Test {
protected:
    void SetUp() override { test::MakeArchive(mainPath_, kMainRows); }

    test::TempDir dir_;
    std::string mainPath_ = dir_.File("zenta.mdb");
    std::string sourcePath_ = dir_.File("source.mdb");
};

// A source whose tables lack a middle column, or have theirs in another order or letter case:
// every value lands in the column of its name, a missing one takes Null.
TEST_F(MergeSafety, ColumnsOfTheSameNamesAreCopiedByName) {
    test::MakeArchive(sourcePath_, R"(
DROP TABLE FORUM_REPLY;
CREATE TABLE FORUM_REPLY (REPLY_ID INTEGER PRIMARY KEY, TOPIC_ID INTEGER, R_MESSAGE TEXT, R_DATE TEXT, FORUM_ID INTEGER);
INSERT INTO FORUM_REPLY VALUES (7, 101, 'no author', '20040101', 1);
DROP TABLE FORUM_MEMBERS;
CREATE TABLE FORUM_MEMBERS (m_posts INTEGER, member_id INTEGER PRIMARY KEY, M_NAME TEXT);
INSERT INTO FORUM_MEMBERS VALUES (9, 2, 'Ann');
)");
    Connection main(mainPath_);
    Connection source(sourcePath_, Access::ReadOnly);
    std::vector<std::string> lines;
    for (const TableCopy& copy : MergeArchive(main, source)) lines.push_back(DescribeTableCopy(copy));
    EXPECT_EQ(lines.at(2), "FORUM_MEMBERS: 1 added, 0 already present, 0 not copied");
    EXPECT_EQ(lines.at(3), "FORUM_REPLY: 1 added, 0 already present, 0 not copied");
    EXPECT_EQ(Rows(main, "select * from FORUM_REPLY"), std::vector<std::string>{"7|101|<null>|no author|20040101|1"});
    EXPECT_EQ(Rows(main, "select * from FORUM_MEMBERS where MEMBER_ID = 2"),
              std::vector<std::string>{"2|Ann|<null>|9"});
}

// The flag, set while a table is copied, stops the copy after the batch in hand: whole
// batches stay, the later tables are not begun, and every table is still listed.
TEST_F(MergeSafety, CancellingKeepsWholeBatchesAndListsEveryTable) {
    test::MakeArchive(sourcePath_, R"(
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 1000)
INSERT INTO FORUM_MEMBERS SELECT 1000 + i, 'm' || i, NULL, 0 FROM n;
INSERT INTO FORUM_REPLY VALUES (5, 101, 1, 'r', '20040101', 1);
)");
    Connection main(mainPath_);
    Connection source(sourcePath_, Access::ReadOnly);
    std::atomic<bool> cancel{false};
    MergeOptions options;
    options.batchRows = 100;
    options.cancel = &cancel;
    options.progress = [&](std::int64_t done, std::int64_t) {
        if (done >= 300) cancel = true;
    };
    const std::vector<TableCopy> copies = MergeArchive(main, source, options);
    ASSERT_EQ(copies.size(), 5u);
    EXPECT_TRUE(MergeWasCancelled(copies));
    EXPECT_EQ(DescribeTableCopy(copies[2]), "FORUM_MEMBERS: 300 added, 0 already present, 700 not copied (cancelled)");
    EXPECT_EQ(DescribeTableCopy(copies[3]), "FORUM_REPLY: 0 added, 0 already present, 1 not copied (cancelled)");
    EXPECT_EQ(Count(main, "FORUM_MEMBERS"), 301);
    EXPECT_EQ(Count(main, "FORUM_REPLY"), 0);
}

// Another instance holds a listing of many topics partly read while this one merges 100,000
// replies: the merge never waits for the reader, and a new listing sees the new rows.
TEST_F(MergeSafety, AReaderHoldingAListingNeverBlocksAMerge) {
    test::RunSql(mainPath_, R"(
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 5000)
INSERT INTO FORUM_TOPICS (TOPIC_ID, FORUM_ID, CAT_ID, T_AUTHOR, t_subject) SELECT 1000 + i, 1, 1, 1, 't' FROM n;
)");
    test::MakeArchive(sourcePath_, R"(
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 100000)
INSERT INTO FORUM_REPLY SELECT 100000 + i, 101, 1, 'r', '20040101', 1 FROM n;
)");
    Connection reader(mainPath_);
    Query listing;
    ListForumTopics(listing, reader, ToNarrow("Tips"));
    for (int i = 0; i < 10; ++i) listing.Next();
    ASSERT_FALSE(listing.Eof());

    Connection writer(mainPath_);
    Connection source(sourcePath_, Access::ReadOnly);
    // A merge that had to wait would end its table with "database is locked".
    const std::vector<TableCopy> copies = MergeArchive(writer, source);
    EXPECT_EQ(DescribeTableCopy(copies[3]), "FORUM_REPLY: 100000 added, 0 already present, 0 not copied");
    listing.Next();
    EXPECT_FALSE(listing.Eof());

    // The next listing refills the same rows object, which ends the old reading.
    ListForumTopics(listing, reader, ToNarrow("Tips"));
    Query fresh(&reader);
    fresh.SQL().Add("select count(*) from FORUM_REPLY");
    fresh.Open();
    EXPECT_EQ(fresh.Fields(0).integer(), 100000);
}

}  // namespace
}  // namespace zenta
