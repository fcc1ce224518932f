// zenta-cli list, search and page give the rows and the page bytes the window shows.
#include <gtest/gtest.h>

#include <sstream>

#include "archive/connection.h"
#include "archive/query.h"
#include "archive/topic_list.h"
#include "base/codepage.h"
#include "render/topic_page.h"
#include "support/test_archive.h"
#include "support/topic_board.h"

namespace zenta {
namespace {

class TopicCommands : public ::testing::Test {
protected:
    void SetUp() override {
        archive_ = dir_.File("a.mdb");
        test::MakeArchive(archive_, test::kTopicBoardSql);
    }

    // Runs zenta-cli with the archive as first argument after the command.
    int Run(const std::string& command, const std::string& rest, std::string* out, std::string* err = nullptr) {
        return test::RunCli(command + " '" + archive_ + "' " + rest, out, err);
    }

    static std::vector<std::string> Lines(const std::string& text) {
        std::vector<std::string> lines;
        std::istringstream in(text);
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }

    test::TempDir dir_;
    std::string archive_;
};

TEST_F(TopicCommands, ListWritesTheTopicRowsAsJsonLinesInOrder) {
    std::string out;
    ASSERT_EQ(Run("list", "\" Delphi's Tips \"", &out), 0);
    std::vector<std::string> lines = Lines(out);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0],
              R"({"Title":"quote two","ReadingTimes":null,"Speaker":"Tom O'Neil","SpeakDate":null,"TOPIC_ID":107,)"
              R"("t_message":"[IMG]x[/IMG]","t_kind":null,"t_language":null,"t_good":null,"T_REPLIES":null})");
    EXPECT_EQ(lines[1],
              R"({"Title":"It's a quote","ReadingTimes":7,"Speaker":"来啊","SpeakDate":"2002-11-10","TOPIC_ID":106,)"
              R"("t_message":null,"t_kind":3,"t_language":3,"t_good":null,"T_REPLIES":0})");
}

TEST_F(TopicCommands, SearchTakesOneConditionAndTrimsTheWords) {
    std::string out, err;
    ASSERT_EQ(Run("search", "--author '  啊 '", &out), 0);
    EXPECT_EQ(Lines(out).size(), 4u);
    ASSERT_EQ(Run("search", "--title \"It's\"", &out), 0);
    ASSERT_EQ(Lines(out).size(), 1u);
    EXPECT_NE(out.find("\"TOPIC_ID\":106"), std::string::npos);
    EXPECT_EQ(Run("search", "--title '   '", &out, &err), 1);
    EXPECT_EQ(out, "");
    EXPECT_NE(err.find("Please Input Query Condition，Thanks!"), std::string::npos);
    EXPECT_NE(Run("search", "--title --author Tom", &out), 0);
    EXPECT_NE(Run("search", "Tom", &out), 0);
}

// The content search needs the index (or --scan), ranks its rows and adds where it found the words.
TEST_F(TopicCommands, SearchContentWritesRankedRowsWithSnippets) {
    std::string out, err;
    EXPECT_EQ(Run("search", "--content quote", &out, &err), 1);
    EXPECT_NE(err.find("The content index is not ready"), std::string::npos) << err;
    ASSERT_EQ(Run("search", "--content quote --scan", &out), 0);
    EXPECT_EQ(Lines(out).size(), 2u);
    ASSERT_EQ(Run("index", "--check", &out, &err), 0) << err;
    EXPECT_EQ(out, "in step\n");
    ASSERT_EQ(Run("search", "--content 'QUOTE  ' --limit 1", &out), 0);
    std::vector<std::string> lines = Lines(out);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find(R"("TOPIC_ID":107,)"), std::string::npos) << "both in the title, the newest first";
    EXPECT_NE(lines[0].find(R"("T_REPLIES":null,"snippet":"quote two"})"), std::string::npos) << lines[0];
    ASSERT_EQ(Run("search", "--content 'early 　'", &out), 0);
    EXPECT_NE(out.find(R"("TOPIC_ID":101,)"), std::string::npos) << "found in a reply";
    EXPECT_NE(out.find(R"("snippet":"early"})"), std::string::npos) << out;
    EXPECT_EQ(Run("search", "--content '  '", &out, &err), 1);
    EXPECT_NE(err.find("Please Input Query Condition，Thanks!"), std::string::npos);
}

TEST_F(TopicCommands, PageWritesTheBytesTheInfoViewReceives) {
    Connection connection(archive_);
    Query rs;
    OpenTopicRow(rs, connection, 101);
    std::string expected = MakeTopicPage(connection, ReadTopicRow(rs));
    std::string out;
    ASSERT_EQ(Run("page", "101", &out), 0);
    EXPECT_EQ(out, expected);
    EXPECT_NE(out.find("->\xBB\xD8\xB8\xB4:3"), std::string::npos);  // "回复" in GBK
    ASSERT_EQ(Run("page", "101 --utf8", &out), 0);
    EXPECT_EQ(out, FromNarrow(expected));
}

TEST_F(TopicCommands, PageRefusesATopicNoListingCanShow) {
    for (const char* id : {"103", "999", "x"}) {
        std::string out, err;
        EXPECT_NE(Run("page", id, &out, &err), 0) << id;
        EXPECT_EQ(out, "") << id;
        EXPECT_NE(err, "") << id;
    }
    std::string out, err;
    EXPECT_EQ(test::RunCli("list '" + dir_.File("missing.mdb") + "' x", &out, &err), 1);
    EXPECT_NE(err.find("missing.mdb"), std::string::npos);
}

// The commands over the shared sample board, a Jet file with the rows the manifest lists.
TEST(SampleBoardTopics, ListsSearchesAndPagesShowTheNotableRows) {
    if (!test::FixturesAvailable()) GTEST_SKIP() << "the shared Jet fixtures are not there";
    struct Case {
        const char* arguments;  // after the command's name and the archive
        std::vector<const char*> shown;
        std::vector<const char*> notShown;
        const char* why;
    } cases[] = {
        {"list \"Delphi's Tips\"",
         {"\"TOPIC_ID\":124", "\"TOPIC_ID\":107"},
         {},
         "a forum with a quote in its name lists"},
        {"list 常见问题", {"\"TOPIC_ID\":134"}, {}, "two forums share the name"},
        {"list 'VCL 组件开发'", {}, {"\"TOPIC_ID\":133"}, "a topic whose category disagrees with its forum's"},
        {"list 空格论坛", {}, {"TOPIC_ID"}, "the trimmed caption names no forum"},
        {"list 站务公告", {}, {"TOPIC_ID"}, "a forum without topics"},
        {"search --author 啊",
         {"\"TOPIC_ID\":106", "\"TOPIC_ID\":156", "\"TOPIC_ID\":144"},
         {},
         "members ending in 啊"},
        {"search --author \"O'Neil\"", {"\"TOPIC_ID\":107", "\"TOPIC_ID\":125"}, {}, "a quote in the words"},
        {"search --title Delphi",
         {},
         {"\"TOPIC_ID\":118,", "\"TOPIC_ID\":153,"},
         "topics of missing authors never appear"},
        {"page 117 --utf8", {"来啊<br>后面", "好人啊、"}, {"好人啊<br>"}, "啊 before a full-width space and a 、"},
        {"page 136 --utf8",
         {"<img src=pic.gif>", "[IMG]x[/IMG]", "<a href=http://a.example/></a>"},
         {"[img]"},
         "codes"},
        {"page 103 --utf8",
         {"第一行（CR LF 之后是第二行）<br>第二行，后面是单独的 LF：\n"},
         {"\r\n"},
         "CR LF and a lone LF"},
        {"page 121 --utf8", {"bgcolor=\"#339966\">->回复:2<br>"}, {}, "a Null title shows as empty text"},
        {"page 110 --utf8", {"admin-【未知】-【Delphi】-【普通文章】:"}, {}, "a Null kind leaves the later labels"},
        {"page 150 --utf8", {"来啊-【转贴】-【未指定】-【普通文章】:"}, {}, "a Null language"},
        {"page 111 --utf8", {"王<br>五-", "【黄金文章】"}, {}, "a full-width space in a name; t_good Y"},
    };
    for (const Case& c : cases) {
        std::string command = c.arguments;
        std::string name = command.substr(0, command.find(' '));
        std::string rest = command.substr(command.find(' ') + 1);
        std::string out, err;
        ASSERT_EQ(test::RunCli(name + " '" + test::FixturePath("sample.mdb") + "' " + rest, &out, &err), 0)
            << c.arguments << err;
        for (const char* text : c.shown)
            EXPECT_NE(out.find(text), std::string::npos) << c.arguments << ": " << c.why << ": " << text;
        for (const char* text : c.notShown)
            EXPECT_EQ(out.find(text), std::string::npos) << c.arguments << ": " << c.why << ": " << text;
    }
    std::string out;
    ASSERT_EQ(test::RunCli("page '" + test::FixturePath("sample.mdb") + "' 112", &out), 0);
    size_t replies = 0;
    for (size_t at = out.find("#808000"); at != std::string::npos; at = out.find("#808000", at + 1)) ++replies;
    EXPECT_EQ(replies, 37u) << "40 replies, three of them by missing authors";
    for (const char* missing : {"118", "153"})
        EXPECT_EQ(test::RunCli("page '" + test::FixturePath("sample.mdb") + "' " + missing, &out), 1) << missing;
}

}  // namespace
}  // namespace zenta
