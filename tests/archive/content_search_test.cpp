// The content search finds exactly the topics a substring scan finds, ranks them, and its index
// is built in batches that stop and resume, all on connections that do not trust the schema.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <atomic>
#include <filesystem>

#include "archive/connection.h"
#include "archive/content_index.h"
#include "archive/content_search.h"
#include "archive/query.h"
#include "archive/topic_list.h"
#include "base/codepage.h"
#include "base/errors.h"
#include "support/test_archive.h"

namespace zenta {
namespace {

using Ids = std::vector<std::int64_t>;

// Opens the archive as a stranger's: the schema's triggers and views untrusted.
void OpenUntrusted(Connection& connection, const std::string& path) {
    connection.Open(path);
    ASSERT_EQ(sqlite3_exec(connection.handle(), "PRAGMA trusted_schema=OFF", nullptr, nullptr, nullptr), SQLITE_OK);
}

// The topics holding every word somewhere, by the engine's own substring test (`instr` over
// ASCII-lower-cased texts), in no particular order.
Ids ScanForTopics(Connection& connection, const std::vector<std::string>& words) {
    std::string sql = "SELECT TOPIC_ID FROM FORUM_TOPICS t WHERE 1";
    for (size_t i = 1; i <= words.size(); ++i) {
        std::string w = "lower(?" + std::to_string(i) + ")";
        sql += " AND (instr(lower(t_subject), " + w + ") OR instr(lower(t_message), " + w +
               ") OR EXISTS (SELECT 1 FROM FORUM_REPLY r WHERE r.TOPIC_ID = t.TOPIC_ID AND instr(lower(R_MESSAGE), " +
               w + ")))";
    }
    sqlite3_stmt* stmt = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(connection.handle(), sql.c_str(), -1, &stmt, nullptr), SQLITE_OK);
    for (size_t i = 0; i < words.size(); ++i)
        sqlite3_bind_text(stmt, static_cast<int>(i + 1), words[i].c_str(), -1, SQLITE_TRANSIENT);
    Ids ids;
    while (sqlite3_step(stmt) == SQLITE_ROW) ids.push_back(sqlite3_column_int64(stmt, 0));
    sqlite3_finalize(stmt);
    std::sort(ids.begin(), ids.end());
    return ids;
}

Ids Sorted(Ids ids) {
    std::sort(ids.begin(), ids.end());
    return ids;
}

// A generated board with texts added for the edge cases: mixed case, characters the index's
// query language would read as syntax, wildcards of `like`, words split across a blank.
class ContentSearch : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = new test::TempDir;
        path_ = dir_->File("board.mdb");
        ASSERT_EQ(test::RunCli("generate '" + path_ + "' --topics 1500 --replies 6000 --seed 3"), 0);
        test::RunSql(path_, R"(
INSERT INTO FORUM_TOPICS (TOPIC_ID, FORUM_ID, CAT_ID, T_AUTHOR, t_subject, t_message) VALUES
  (900001, 1, 1, 1, 'TStringList loses items', 'after Sort, ADOQuery1.SQL.Add("select")'),
  (900002, 1, 1, 1, '100% a_b 百分', 'std::string s = "x*y"; NEAR(a b) AND OR NOT -x ^y {t_subject}: z'),
  (900003, 1, 1, 1, 'split TString List', 'tstringlist in lower case'),
  (900004, 1, 1, 1, NULL, NULL);
INSERT INTO FORUM_REPLY (REPLY_ID, TOPIC_ID, R_AUTHOR, R_MESSAGE) VALUES
  (900001, 900004, 1, 'only a reply holds 线程死锁 and QuErY'),
  (900002, 900004, 1, '"quoted" ''single'' 𠀀 astral');
)");
    }
    static void TearDownTestSuite() { delete dir_; }

    static test::TempDir* dir_;
    static std::string path_;
};
test::TempDir* ContentSearch::dir_ = nullptr;
std::string ContentSearch::path_;

TEST_F(ContentSearch, FindsExactlyTheTopicsASubstringScanFinds) {
    const std::string copy = dir_->File("indexed.mdb");
    std::filesystem::copy_file(path_, copy);
    Connection connection;
    OpenUntrusted(connection, copy);
    ASSERT_TRUE(BuildContentIndex(connection.handle()));
    EXPECT_EQ(CheckContentIndex(connection.handle()), "");
    // clang-format off
    const char* queries[] = {
        "线", "锁", "的",                        // one Chinese character: the prefix of its pairs
        "线程", "死锁", "数据", "请问",          // two, the most common queries
        "数据库", "存储过程", "动态链接库",      // three and more
        "线程 死锁", "数据库 Delphi 请问",       // several words, anywhere in the topic
        "Delphi", "delphi", "DELPHI", "kylix",   // ASCII letters without regard to case
        "TStringList", "tstringlist", "ADOQuery1.SQL", "std::string", "ShowMessage",
        "a_b", "100%", "%", "_",                 // wildcards of `like` are plain characters
        "\"quoted\"", "'single'", "x*y", "NEAR(a", "AND", "-x", "^y", "{t_subject}:",  // query syntax
        "𠀀", "QuErY", "Q",                      // a character outside the BMP; one ASCII letter
        "TString List", "TStringList 线程",       // a word across a blank is two words
        "不在这里的词", "zzzqqq", "线程死锁不在",  // never occur
    };
    // clang-format on
    for (const char* query : queries) {
        std::vector<std::string> words;
        std::string word;
        for (char c : std::string(query) + " ") {
            if (c == ' ') {
                if (!word.empty()) words.push_back(word);
                word.clear();
            } else {
                word += c;
            }
        }
        Ids expected = ScanForTopics(connection, words);
        Ids byIndex = SearchContent(connection, ToNarrow(query), ContentSearchWay::Index);
        Ids byScan = SearchContent(connection, ToNarrow(query), ContentSearchWay::Scan);
        EXPECT_EQ(Sorted(byIndex), expected) << query;
        EXPECT_EQ(byIndex, byScan) << query << ": the index and the scan rank alike";
    }
}

TEST_F(ContentSearch, RanksTitleBeforeMessageBeforeRepliesThenNewest) {
    test::TempDir dir;
    test::MakeArchive(dir.File("a.mdb"), R"(
INSERT INTO FORUM_MEMBERS (MEMBER_ID, M_NAME) VALUES (1, 'Tom');
INSERT INTO FORUM_TOPICS (TOPIC_ID, T_AUTHOR, t_subject, t_message) VALUES
  (1, 1, 'about 指针', 'nothing'), (2, 1, 'plain', 'a 指针 here'), (3, 1, 'plain', 'nothing'),
  (4, 1, 'older 指针', 'nothing'), (5, 1, 'plain', 'nothing'), (6, 1, '指针 and 线程', ''),
  (7, 1, '指针 far from here, then 线程', '');
INSERT INTO FORUM_REPLY (REPLY_ID, TOPIC_ID, R_MESSAGE) VALUES
  (1, 3, '指针 指针 指针 指针 指针 指针'), (2, 5, '指针 once');
)");
    Connection connection;
    OpenUntrusted(connection, dir.File("a.mdb"));
    ASSERT_TRUE(BuildContentIndex(connection.handle()));
    struct Case {
        const char* words;
        Ids ranked;
        const char* why;
    } cases[] = {
        {"指针", {7, 6, 4, 1, 2, 3, 5}, "title, then message, then replies (more often first), newest among equals"},
        {"指针 线程", {6, 7}, "both in the title: closer together first"},
    };
    for (const Case& c : cases) {
        for (ContentSearchWay way : {ContentSearchWay::Index, ContentSearchWay::Scan})
            EXPECT_EQ(SearchContent(connection, ToNarrow(c.words), way), c.ranked) << c.words << ": " << c.why;
        EXPECT_EQ(SearchContent(connection, ToNarrow(c.words), ContentSearchWay::Index, 1), Ids{c.ranked[0]});
    }
    EXPECT_EQ(FromNarrow(ContentSnippet(connection, 3, ToNarrow("指针"))), "指针 指针 指针 指针 指针 指针");
    EXPECT_EQ(FromNarrow(ContentSnippet(connection, 2, ToNarrow("HERE 指针"))), "a 指针 here");
    Query rs;
    ListTopicsInOrder(rs, connection, {5, 1, 3});
    Ids listed;
    for (; !rs.Eof(); rs.Next()) listed.push_back(rs.FieldByName("TOPIC_ID").integer());
    EXPECT_EQ(listed, (Ids{5, 1, 3}));
}

TEST_F(ContentSearch, AStoppedBuildResumesWhereItStoppedAndGivesTheSameIndex) {
    const std::string whole = dir_->File("whole.mdb"), resumed = dir_->File("resumed.mdb");
    std::filesystem::copy_file(path_, whole);
    std::filesystem::copy_file(path_, resumed);
    Connection connection;
    OpenUntrusted(connection, resumed);
    std::atomic<bool> stop{false};
    ContentIndexBuild build;
    build.batchTexts = 500;
    build.stop = &stop;
    int batches = 0;
    build.progress = [&](const ContentIndexProgress&) { stop = ++batches == 5; };
    EXPECT_FALSE(BuildContentIndex(connection.handle(), build));
    ContentIndexProgress part = ReadContentIndexProgress(connection.handle());
    EXPECT_FALSE(part.complete);
    EXPECT_EQ(part.done, 1504 + 500) << "every topic in four batches, then one batch of replies";
    EXPECT_THROW(SearchContent(connection, ToNarrow("线程"), ContentSearchWay::Index), Error);
    EXPECT_NE(CheckContentIndex(connection.handle()), "");
    connection.Close();

    OpenUntrusted(connection, resumed);
    stop = false;
    build.progress = nullptr;
    EXPECT_TRUE(BuildContentIndex(connection.handle(), build));
    EXPECT_EQ(CheckContentIndex(connection.handle()), "");
    Connection other;
    OpenUntrusted(other, whole);
    ASSERT_TRUE(BuildContentIndex(other.handle()));
    for (const char* words : {"线程", "TStringList 请问", "的"})
        EXPECT_EQ(SearchContent(connection, ToNarrow(words), ContentSearchWay::Index),
                  SearchContent(other, ToNarrow(words), ContentSearchWay::Index))
            << words;
}

TEST_F(ContentSearch, ABlankOrOverlongQueryFindsNothingOrIsRefused) {
    test::TempDir dir;
    test::MakeArchive(dir.File("a.mdb"));
    Connection connection;
    OpenUntrusted(connection, dir.File("a.mdb"));
    ASSERT_TRUE(BuildContentIndex(connection.handle()));
    EXPECT_TRUE(SearchContent(connection, " \t ", ContentSearchWay::Index).empty());
    std::string many;
    for (int i = 0; i < 65; ++i) many += "w" + std::to_string(i) + " ";
    EXPECT_THROW(SearchContent(connection, many, ContentSearchWay::Index), Error);
}

}  // namespace
}  // namespace zenta
