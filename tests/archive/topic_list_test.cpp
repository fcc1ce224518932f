// The forum listing and the search fill the topic list with the right topic rows.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "archive/connection.h"
#include "archive/query.h"
#include "archive/topic_list.h"
#include "base/codepage.h"
#include "base/errors.h"
#include "support/test_archive.h"
#include "support/topic_board.h"

namespace zenta {
namespace {

using Ids = std::vector<std::int64_t>;

class TopicList : public ::testing::Test {
protected:
    void SetUp() override {
        test::MakeArchive(dir_.File("a.mdb"), test::kTopicBoardSql);
        connection_.Open(dir_.File("a.mdb"));
    }

    // The TOPIC_IDs of the rows left in `rs`, walking it to its end.
    static std::vector<std::int64_t> IdsOf(Query& rs) {
        std::vector<std::int64_t> ids;
        for (; !rs.Eof(); rs.Next()) ids.push_back(rs.FieldByName("TOPIC_ID").integer());
        return ids;
    }

    test::TempDir dir_;
    Connection connection_;
    Query rs_;
};

TEST_F(TopicList, AForumListsTheTopicsOfEveryForumOfThatNameWithAMemberAuthor) {
    struct Case {
        const char* caption;
        Ids ids;
        const char* why;
    } cases[] = {
        {"Delphi 基础", {155, 154, 121, 104, 101}, "highest first; 103's author has no member row"},
        {"  Delphi 基础\t", {155, 154, 121, 104, 101}, "the caption is trimmed"},
        {"delphi 基础", {155, 154, 121, 104, 101}, "names compare without regard to letter case"},
        {"Delphi's Tips", {107, 106}, "a quote in the name no longer breaks the statement"},
        {"常见问题", {136, 135, 134}, "two forums share the name: the topics of both"},
        {"BCB 高级", {137}, "a subcategory caption lists the forum of the same name"},
        {"网络编程", {}, "a subcategory caption that names no forum"},
        {"站务公告", {}, "a forum without topics"},
        {"VCL 组件开发", {}, "a topic whose category disagrees with its forum's"},
    };
    for (const Case& c : cases) {
        ListForumTopics(rs_, connection_, ToNarrow(c.caption));
        EXPECT_EQ(IdsOf(rs_), c.ids) << c.caption << ": " << c.why;
    }
}

TEST_F(TopicList, TheRowHasTheTenColumnsInOrderWithTheirNames) {
    ListForumTopics(rs_, connection_, ToNarrow("Delphi 基础"));
    ASSERT_EQ(rs_.FieldCount(), 10);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(rs_.FieldName(i), kTopicRowColumns[i]);
    while (!rs_.Eof() && rs_.FieldByName("TOPIC_ID").integer() != 101) rs_.Next();
    ASSERT_FALSE(rs_.Eof());
    TopicRow row = ReadTopicRow(rs_);
    TopicRow expected = {Value::Text("Hello world"), Value::Integer(42),  Value::Text("Tom"),
                         Value::Text("2002-12-31"),  Value::Integer(101), Value::Text("first\r\nsecond"),
                         Value::Integer(1),          Value::Integer(1),   Value::Text("Y"),
                         Value::Integer(3)};
    EXPECT_EQ(row, expected);
}

TEST_F(TopicList, ASearchMatchesTitlesOrAuthorsContainingTheWords) {
    struct Case {
        SearchBy by;
        const char* words;
        Ids ids;
        const char* why;
    } cases[] = {
        {SearchBy::Title, "quote", {107, 106}, "every title containing the words"},
        {SearchBy::Title, "  quote \r\n", {107, 106}, "blanks around the words are trimmed"},
        {SearchBy::Title, "a quote", {106}, "blanks inside the words are part of the pattern"},
        {SearchBy::Title, "It's", {106}, "a quote in the words searches for it"},
        {SearchBy::Title, "a_b", {155, 154}, "_ stays a wildcard for one character"},
        {SearchBy::Title, "100%b", {154}, "% stays a wildcard for any run"},
        {SearchBy::Title, "HELLO", {101}, "letter case does not matter"},
        {SearchBy::Title, "author", {}, "a topic whose author has no member row never appears"},
        {SearchBy::Title, "nothing like it", {}, "no match gives an open, empty result"},
        {SearchBy::Author, "Tom", {135, 134, 133, 107, 101}, "the topics of every matching member, in one list"},
        {SearchBy::Author, "O'Neil", {107}, "a quote in an author's name"},
        {SearchBy::Author, "啊", {136, 121, 106, 104}, "names ending in 啊"},
        {SearchBy::Author, "　", {137}, "a full-width space is no blank to trim"},
        {SearchBy::Author, "100%", {155}, "% in the words matches the % in a name too"},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(SearchTopics(rs_, connection_, c.by, ToNarrow(c.words))) << c.words;
        EXPECT_TRUE(rs_.Active()) << c.words;
        EXPECT_EQ(IdsOf(rs_), c.ids) << c.words << ": " << c.why;
    }
}

TEST_F(TopicList, TheRowsBelowOrAboveAKeyAreTheWholeListsRowsPastThatKey) {
    // Each list, run whole and then from every key in it and from keys outside it: the rows
    // below a key are the whole list's rows after it, the rows above it those before it,
    // nearest first.
    using Run = std::function<void(const TopicKeyRange&)>;
    struct Case {
        const char* what;
        Run run;
    } cases[] = {
        {"a forum of its own name", [&](auto& r) { ListForumTopics(rs_, connection_, ToNarrow("Delphi 基础"), r); }},
        {"two forums of one name", [&](auto& r) { ListForumTopics(rs_, connection_, ToNarrow("常见问题"), r); }},
        {"a title search through the index",
         [&](auto& r) { SearchTopics(rs_, connection_, SearchBy::Title, "quo", r); }},
        {"a title search too short for the index",
         [&](auto& r) { SearchTopics(rs_, connection_, SearchBy::Title, "o", r); }},
        {"an author search", [&](auto& r) { SearchTopics(rs_, connection_, SearchBy::Author, "Tom", r); }},
    };
    for (const Case& c : cases) {
        c.run({});
        const Ids whole = IdsOf(rs_);
        ASSERT_GE(whole.size(), 2u) << c.what;
        Ids keys = whole;
        keys.insert(keys.end(), {0, whole.back() - 1, whole.front() + 1, 1000});
        for (std::int64_t key : keys) {
            Ids below, above;
            for (std::int64_t id : whole) (id < key ? below : above).push_back(id);
            std::erase(above, key);
            std::reverse(above.begin(), above.end());
            c.run({TopicKeyRange::Side::Below, key});
            EXPECT_EQ(IdsOf(rs_), below) << c.what << ", below " << key;
            c.run({TopicKeyRange::Side::Above, key});
            EXPECT_EQ(IdsOf(rs_), above) << c.what << ", above " << key;
        }
    }
}

TEST_F(TopicList, TheTitleIndexGivesExactlyTheRowsThatLikeGives) {
    // Titles changed after the index was built (the index is then filled again: only the merge
    // keeps it up to date as it writes), wildcards, a Null title, and words that mean something
    // to the index's own query syntax.
    test::RunSql(dir_.File("a.mdb"), R"(
INSERT INTO FORUM_TOPICS (TOPIC_ID, FORUM_ID, CAT_ID, T_AUTHOR, t_subject) VALUES
  (201, 1, 1, 1, 'Café CRASH'), (202, 1, 1, 1, 'CAFÉ crash'), (203, 1, 1, 1, 'old title'), (204, 1, 1, 1, 'gone'),
  (205, 1, 1, 1, NULL), (206, 1, 1, 1, '数据库连接池'), (207, 1, 1, 1, '数据 库'),
  (209, 1, 1, 1, 'he said "hello" twice'), (210, 1, 1, 1, 'x a:b(c)*^ AND y'), (211, 1, 1, 1, 'xa😀y');
UPDATE FORUM_TOPICS SET t_subject = 'new title' WHERE TOPIC_ID = 203;
UPDATE FORUM_TOPICS SET TOPIC_ID = 208 WHERE TOPIC_ID = 206;
DELETE FROM FORUM_TOPICS WHERE TOPIC_ID = 204;
INSERT INTO topic_title_trigrams(topic_title_trigrams) VALUES ('rebuild');
)");
    auto likeGives = [&](Connection& connection, const std::string& words) {
        Query plain(&connection);
        plain.SQL().Add(
            "select TOPIC_ID from FORUM_TOPICS ,FORUM_MEMBERS where T_AUTHOR=MEMBER_ID and t_subject like ? "
            "order by TOPIC_ID desc");
        plain.Parameters() = {Value::Text("%" + words + "%")};
        plain.Open();
        return IdsOf(plain);
    };
    const char* words[] = {"café",    "CAFÉ",         "crash",   "title", "old", "gone",    "数据库",
                           "据库连",  "数据 库",      "t_tle",   "c%h",   "new", "new%tle", "\"hello\"",
                           "said \"", "a:b(c)*^ and", "数据%池", "a😀",    "a😀y"};
    Connection reopened(dir_.File("a.mdb"));
    for (const char* w : words) {
        ASSERT_TRUE(SearchTopics(rs_, reopened, SearchBy::Title, ToNarrow(w)));
        Ids found = IdsOf(rs_);
        EXPECT_EQ(found, likeGives(reopened, ToNarrow(w))) << w;
    }
    ASSERT_TRUE(SearchTopics(rs_, reopened, SearchBy::Title, ToNarrow("café")));
    EXPECT_EQ(IdsOf(rs_), Ids{201}) << "É and é are different letters to like";
    ASSERT_TRUE(SearchTopics(rs_, reopened, SearchBy::Title, ToNarrow("数据库")));
    EXPECT_EQ(IdsOf(rs_), Ids{208}) << "a changed key is followed";
}

TEST_F(TopicList, ASearchWorksOnAnArchiveWithoutTheTitleIndex) {
    test::RunSql(dir_.File("a.mdb"),
                 "DROP TABLE topic_title_trigrams");
    Connection reopened(dir_.File("a.mdb"));
    ASSERT_TRUE(SearchTopics(rs_, reopened, SearchBy::Title, "quote"));
    EXPECT_EQ(IdsOf(rs_), (Ids{107, 106}));
}

TEST_F(TopicList, BlankWordsRunNothingAndLeaveTheListAsItWas) {
    ListForumTopics(rs_, connection_, ToNarrow("常见问题"));
    for (const char* words : {"", "   ", "\t \r\n"}) {
        EXPECT_FALSE(SearchTopics(rs_, connection_, SearchBy::Title, words));
        ASSERT_TRUE(rs_.Active());
        EXPECT_EQ(rs_.FieldByName("TOPIC_ID").integer(), 136);
    }
}

TEST_F(TopicList, OneTopicRowIsFoundOnlyWhenAListingCouldShowIt) {
    OpenTopicRow(rs_, connection_, 106);
    EXPECT_EQ(IdsOf(rs_), Ids{106});
    for (std::int64_t missing : {103, 999}) {
        OpenTopicRow(rs_, connection_, missing);
        EXPECT_TRUE(rs_.Eof()) << missing;
    }
}

TEST_F(TopicList, AFailureLeavesTheListClosed) {
    test::MakeArchive(dir_.File("broken.mdb"), "DROP TABLE FORUM_MEMBERS");
    Connection broken(dir_.File("broken.mdb"));
    ListForumTopics(rs_, connection_, ToNarrow("Delphi 基础"));
    EXPECT_THROW(ListForumTopics(rs_, broken, ToNarrow("Delphi 基础")), DatabaseError);
    EXPECT_FALSE(rs_.Active());
    SearchTopics(rs_, connection_, SearchBy::Author, "Tom");
    EXPECT_THROW(SearchTopics(rs_, broken, SearchBy::Author, "Tom"), DatabaseError);
    EXPECT_FALSE(rs_.Active());
}

}  // namespace
}  // namespace zenta
