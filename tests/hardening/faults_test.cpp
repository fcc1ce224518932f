// Faults from outside while a file comes in: the disk filling up during an unpacking and
// during a merge (a file size limit in a child process stands for the full disk), and a
// second instance reading the main archive while a merge writes to it. Each ends with the
// main archive's integrity check. Killed merges and conversions are tested beside the merge
// (tests/import/merge_kill_test.cpp) and the start-up conversion (tests/jet).
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>

#include "archive/category_tree.h"
#include "archive/connection.h"
#include "archive/query.h"
#include "archive/topic_list.h"
#include "base/errors.h"
#include "import/archive_merge.h"
#include "import/unpack_archive.h"
#include "render/topic_page.h"
#include "archive_probe.h"
#include "child_report.h"
#include "support/test_archive.h"

namespace zenta {
namespace {

// Runs `work` in a child process whose files cannot grow beyond `limit` bytes, as on a disk
// with that much room; returns what the work reported.
std::string RunWithFileLimit(rlim_t limit, const std::function<std::string()>& work) {
    return test::RunInChild(
        [limit] {
            signal(SIGXFSZ, SIG_IGN);  // a write past the limit fails with EFBIG instead of killing
            rlimit size{limit, limit};
            return setrlimit(RLIMIT_FSIZE, &size) == 0;
        },
        work);
}

TEST(DiskFull, UnpackingStopsWithAWriteErrorAndAnEmptyFile) {
    if (!test::FixturesAvailable()) GTEST_SKIP() << "the shared fixtures are not there";
    test::TempDir dir;
    const std::string destination = dir.File("unpacked.mdb");
    std::string report = RunWithFileLimit(64 * 1024, [&]() -> std::string {
        try {
            UnpackArchive(test::FixturePath("sample.znt"), destination);
            return "unpacked";
        } catch (const Error& e) {
            return e.what();
        }
    });
    EXPECT_NE(report.find("Stream write error on \"" + destination + "\""), std::string::npos) << report;
    EXPECT_EQ(std::filesystem::file_size(destination), 0u);
}

TEST(DiskFull, MergeKeepsWholeBatchesAndAnIntactArchive) {
    test::TempDir dir;
    const std::string source = dir.File("source.mdb");
    const std::string main = dir.File("zenta.mdb");
    ASSERT_EQ(test::RunCli("generate '" + source + "' --topics 500 --replies 20000"), 0);
    test::MakeArchive(main);
    const auto room = std::filesystem::file_size(main) + 512 * 1024;
    std::string report = RunWithFileLimit(room, [&]() -> std::string {
        try {
            Connection destination(main);
            Connection from(source);
            MergeOptions options;
            options.batchRows = 1000;
            std::string problems;
            for (const TableCopy& copy : MergeArchive(destination, from, options))
                if (!copy.problem.empty()) problems += copy.table + ": " + copy.problem + "\n";
            return problems;
        } catch (const Error& e) {
            return std::string("raised: ") + e.what();
        }
    });
    EXPECT_NE(report.find("FORUM_REPLY: "), std::string::npos) << report;
    EXPECT_EQ(report.find("raised"), std::string::npos) << report;
    EXPECT_EQ(test::ReadFirstValue(main, "PRAGMA integrity_check"), "ok");
    EXPECT_FALSE(std::filesystem::exists(main + "-journal") && std::filesystem::file_size(main + "-journal") > 0)
        << "a hot journal was left behind";
    const std::int64_t replies = std::stoll(test::ReadFirstValue(main, "select count(*) from FORUM_REPLY"));
    EXPECT_GT(replies, 0);
    EXPECT_LT(replies, 20000);
    EXPECT_EQ(replies % 1000, 0) << replies;
}

// One instance merges a large archive while this one builds the tree, lists a forum and
// opens its topics again and again: each read succeeds or reports, and nothing is damaged.
TEST(TwoInstances, ReaderWaitsOrReportsWhileAnotherMerges) {
    test::TempDir dir;
    const std::string source = dir.File("source.mdb");
    const std::string main = dir.File("zenta.mdb");
    ASSERT_EQ(test::RunCli("generate '" + source + "' --topics 3000 --replies 100000 --seed 7"), 0);
    ASSERT_EQ(test::RunCli("generate '" + main + "' --topics 50 --seed 8"), 0);
    const std::int64_t repliesBefore = std::stoll(test::ReadFirstValue(main, "select count(*) from FORUM_REPLY"));

    pid_t merger = fork();
    ASSERT_GE(merger, 0);
    if (merger == 0) {
        execl(ZENTA_CLI, "zenta-cli", "merge", main.c_str(), source.c_str(), "--batch-rows", "2000",
              static_cast<char*>(nullptr));
        _exit(127);
    }
    int reads = 0, reported = 0;
    std::string lastReport;
    int status = 0;
    while (waitpid(merger, &status, WNOHANG) == 0) {
        try {
            Connection connection(main);
            TreeNode root;
            BuildCategoryTree(connection, root);
            // The first top-level category that holds anything (the generator may leave one empty).
            auto category = std::find_if(root.children.begin(), root.children.end(),
                                         [](const TreeNode& node) { return !node.children.empty(); });
            ASSERT_NE(category, root.children.end());
            Query rs(&connection);
            ListForumTopics(rs, connection, category->children.front().caption);
            for (int rows = 0; !rs.Eof() && rows < 5; rs.Next(), ++rows)
                EXPECT_FALSE(MakeTopicPage(connection, ReadTopicRow(rs)).empty());
            ++reads;
        } catch (const DatabaseError& e) {
            ++reported;
            lastReport = e.what();
        }
    }
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_GT(reads, 0);
    EXPECT_EQ(reported, 0) << "the reader did not wait: " << lastReport;
    EXPECT_EQ(test::ReadFirstValue(main, "PRAGMA integrity_check"), "ok");
    EXPECT_GE(std::stoll(test::ReadFirstValue(main, "select count(*) from FORUM_REPLY")), repliesBefore);
}

}  // namespace
}  // namespace zenta
