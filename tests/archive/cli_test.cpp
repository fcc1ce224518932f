// zenta-cli's tree, sql and generate commands, as scripts and users call them.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "support/test_archive.h"

namespace zenta {
namespace {

TEST(Cli, TreePrintsOneNodeALineAndNothingWhenTheBuildFails) {
    test::TempDir dir;
    std::string good = dir.File("good.mdb"), broken = dir.File("broken.mdb");
    const char* rows =
        "INSERT INTO FORUM_CATEGORY VALUES (1, '分类', 0, 0, 1); INSERT INTO FORUM_FORUM VALUES (1, 1, '论坛', NULL, "
        "0);";
    test::MakeArchive(good, rows);
    test::MakeArchive(broken, std::string(rows) + "DROP TABLE FORUM_FORUM;");
    std::string out, err;
    EXPECT_EQ(test::RunCli("tree '" + good + "'", &out, &err), 0) << err;
    EXPECT_EQ(out, "RORUZA Zenta BBS\n  分类\n    论坛\n");
    EXPECT_EQ(test::RunCli("tree '" + broken + "'", &out, &err), 1);
    EXPECT_EQ(out, "");
    EXPECT_NE(err.find("FORUM_FORUM"), std::string::npos) << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
}

TEST(Cli, SqlPrintsRowsAsJsonLinesAndEngineErrorsOnStderr) {
    test::TempDir dir;
    std::string path = dir.File("a.mdb");
    test::MakeArchive(path, "INSERT INTO FORUM_MEMBERS VALUES (1, '来啊', NULL, 2), (2, 'Tom''s', 'x@y', NULL);");
    std::string out, err;
    EXPECT_EQ(test::RunCli(
                  "sql '" + path + "' \"select MEMBER_ID, M_NAME+'!' as Name, M_EMAIL, 1.5 as r from FORUM_MEMBERS\"",
                  &out, &err),
              0)
        << err;
    EXPECT_EQ(out,
              "{\"MEMBER_ID\":1,\"Name\":\"来啊!\",\"M_EMAIL\":null,\"r\":1.5}\n"
              "{\"MEMBER_ID\":2,\"Name\":\"Tom's!\",\"M_EMAIL\":\"x@y\",\"r\":1.5}\n");
    EXPECT_EQ(test::RunCli("sql '" + path + "' 'select nothing from FORUM_MEMBERS'", &out, &err), 1);
    EXPECT_EQ(out, "");
    EXPECT_NE(err.find("nothing"), std::string::npos) << err;
}

TEST(Cli, CommandsRefuseAFileThatIsNoArchive) {
    test::TempDir dir;
    std::string page = dir.File("page.html");
    { std::ofstream(page) << "<html></html>"; }
    std::string out, err;
    EXPECT_EQ(test::RunCli("tree '" + page + "'", &out, &err), 1);
    EXPECT_NE(err.find("is not an archive"), std::string::npos) << err;
}

TEST(Cli, GenerateIsDeterministicAndNeverOverwrites) {
    test::TempDir dir;
    std::string a = dir.File("a.mdb"), b = dir.File("b.mdb");
    std::string out, err;
    ASSERT_EQ(test::RunCli("generate '" + a + "' --topics 300 --seed 7", &out, &err), 0) << err;
    ASSERT_EQ(test::RunCli("generate '" + b + "' --topics 300 --seed 7", &out, &err), 0) << err;
    std::string dumpA, dumpB;
    const std::string statement = " \"select * from FORUM_TOPICS order by TOPIC_ID\"";
    ASSERT_EQ(test::RunCli("sql '" + a + "'" + statement, &dumpA), 0);
    ASSERT_EQ(test::RunCli("sql '" + b + "'" + statement, &dumpB), 0);
    EXPECT_EQ(dumpA, dumpB);
    EXPECT_EQ(std::count(dumpA.begin(), dumpA.end(), '\n'), 300);
    auto before = std::filesystem::last_write_time(a);
    EXPECT_EQ(test::RunCli("generate '" + a + "' --topics 10", &out, &err), 1);
    EXPECT_NE(err.find("exists already"), std::string::npos) << err;
    EXPECT_EQ(std::filesystem::last_write_time(a), before);
}

TEST(Cli, GeneratedBoardsAreNestedFiveLevelsAndTheirRepliesAddUp) {
    test::TempDir dir;
    std::string path = dir.File("g.mdb");
    ASSERT_EQ(test::RunCli("generate '" + path + "' --topics 2000 --replies 12000 --categories 40 --forums 30"), 0);
    std::string out;
    // T_REPLIES counts the reply rows; a chain of five category levels exists.
    ASSERT_EQ(test::RunCli("sql '" + path +
                               "' \"select count(*) as n from FORUM_TOPICS t where T_REPLIES <> "
                               "(select count(*) from FORUM_REPLY r where r.TOPIC_ID=t.TOPIC_ID)\"",
                           &out),
              0);
    EXPECT_EQ(out, "{\"n\":0}\n");
    ASSERT_EQ(test::RunCli("sql '" + path +
                               "' \"select count(*) as n from FORUM_CATEGORY a, FORUM_CATEGORY b, FORUM_CATEGORY c, "
                               "FORUM_CATEGORY d, FORUM_CATEGORY e where e.cat_pid=d.cat_id and d.cat_pid=c.cat_id and "
                               "c.cat_pid=b.cat_id and b.cat_pid=a.cat_id and a.cat_pid=0\"",
                           &out),
              0);
    EXPECT_NE(out, "{\"n\":0}\n");
    ASSERT_EQ(
        test::RunCli("sql '" + path + "' \"select count(*) as n from FORUM_REPLY where length(R_DATE)<>14\"", &out), 0);
    EXPECT_EQ(out, "{\"n\":0}\n");
}

}  // namespace
}  // namespace zenta
