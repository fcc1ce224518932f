// A merge killed part way leaves the main archive consistent, holding whole batches, its
// content index in step with them.
#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <sstream>

#include "archive/connection.h"
#include "archive/content_index.h"
#include "support/test_archive.h"

namespace zenta {
namespace {

std::string One(sqlite3* db, const std::string& sql) {
    sqlite3_stmt* stmt = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr), SQLITE_OK) << sql;
    std::string value =
        sqlite3_step(stmt) == SQLITE_ROW ? reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)) : "";
    sqlite3_finalize(stmt);
    return value;
}

// Merges a generated board into an empty main archive (with its content index when asked) and
// kills the merge in the middle of the reply table; checks what the main archive then holds.
void KillMergeHalfWay(bool withContentIndex) {
    test::TempDir dir;
    const std::string source = dir.File("source.mdb");
    const std::string main = dir.File("zenta.mdb");
    ASSERT_EQ(test::RunCli("generate '" + source + "' --topics 4000 --replies 200000"), 0);
    test::MakeArchive(main);
    if (withContentIndex) {
        ASSERT_EQ(test::RunCli("index '" + main + "'"), 0);
    }
    Connection from(source);
    std::int64_t before = 0;  // rows of the tables copied before FORUM_REPLY
    for (const char* table : {"FORUM_CATEGORY", "FORUM_FORUM", "FORUM_MEMBERS"})
        before += std::stoll(One(from.handle(), std::string("select count(*) from ") + table));
    const std::int64_t batch = 1000;

    int out[2];
    ASSERT_EQ(pipe(out), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        dup2(out[1], STDOUT_FILENO);
        close(out[0]);
        close(out[1]);
        execl(ZENTA_CLI, "zenta-cli", "merge", main.c_str(), source.c_str(), "--batch-rows",
              std::to_string(batch).c_str(), "--progress", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(out[1]);
    FILE* lines = fdopen(out[0], "r");
    char line[128];
    std::int64_t done = 0;
    // Killed once some batches of replies are in, in the middle of the reply table.
    while (done < before + 20 * batch && std::fgets(line, sizeof line, lines)) {
        std::istringstream words(line);
        std::string word;
        words >> word >> done;
    }
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    std::fclose(lines);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the merge ended before it was killed";

    Connection after(main);
    EXPECT_EQ(One(after.handle(), "PRAGMA integrity_check"), "ok");
    for (const char* table : {"FORUM_CATEGORY", "FORUM_FORUM", "FORUM_MEMBERS"}) {
        std::string count = std::string("select count(*) from ") + table;
        EXPECT_EQ(One(after.handle(), count), One(from.handle(), count)) << table;
    }
    std::int64_t replies = std::stoll(One(after.handle(), "select count(*) from FORUM_REPLY"));
    EXPECT_GE(replies, 20 * batch);
    EXPECT_LT(replies, 200000);
    EXPECT_EQ(replies % batch, 0) << replies;
    EXPECT_EQ(One(after.handle(), "select count(*) from FORUM_TOPICS"), "0");
    if (withContentIndex) {
        EXPECT_EQ(CheckContentIndex(after.handle()), "");
    }
}

TEST(MergeKill, KilledMergeLeavesWholeBatches) { KillMergeHalfWay(false); }

TEST(MergeKill, KilledMergeLeavesTheContentIndexInStepWithTheRows) { KillMergeHalfWay(true); }

}  // namespace
}  // namespace zenta
