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

}  // namespace
}  // namespace zenta
