// The start-up conversion of a Jet main archive: done once, the original kept byte for byte,
// and safe against an interruption at any moment.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <set>

#include "archive/archive_format.h"
#include "archive/main_archive.h"
#include "base/errors.h"
#include "converted_archive.h"
#include "support/test_archive.h"

namespace zenta {
namespace {

namespace fs = std::filesystem;

class MainArchive : public ::testing::Test {
protected:
    void SetUp() override {
        if (!test::FixturesAvailable()) GTEST_SKIP() << "the shared Jet fixtures are not there";
        original_ = test::ReadFile(test::FixturePath("sample.mdb"));
        fs::copy_file(test::FixturePath("sample.mdb"), Main());
    }
    std::string Main() const { return dir_.File("zenta.mdb"); }
    std::set<std::string> Files() const {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir_.path())) names.insert(entry.path().filename().string());
        return names;
    }
    void ExpectConverted() {
        EXPECT_EQ(DetectArchiveFormat(Main()), ArchiveFormat::Native);
        EXPECT_EQ(test::QueryRows(Main(), "SELECT count(*) FROM FORUM_TOPICS").at(0).at(0), "61");
    }
    test::TempDir dir_;
    std::string original_;
};

TEST_F(MainArchive, ConvertsOnceAndKeepsTheOriginal) {
    int calls = 0;
    EXPECT_EQ(PrepareMainArchive(Main(), [&](int64_t, int64_t) { ++calls; }), dir_.File("zenta.mdb.jet"));
    EXPECT_GT(calls, 0);
    ExpectConverted();
    EXPECT_EQ(test::ReadFile(dir_.File("zenta.mdb.jet")), original_);
    EXPECT_EQ(Files(), (std::set<std::string>{"zenta.mdb", "zenta.mdb.jet"}));
    std::string converted = test::ReadFile(Main());
    EXPECT_EQ(PrepareMainArchive(Main()), "");
    EXPECT_EQ(test::ReadFile(Main()), converted);
}

TEST_F(MainArchive, AJetArchiveOfAnotherNameIsKeptUnderThatName) {
    fs::rename(Main(), dir_.File("board.mdb"));
    EXPECT_EQ(PrepareMainArchive(dir_.File("board.mdb")), dir_.File("board.mdb.jet"));
    EXPECT_EQ(DetectArchiveFormat(dir_.File("board.mdb")), ArchiveFormat::Native);
    EXPECT_EQ(test::ReadFile(dir_.File("board.mdb.jet")), original_);
    EXPECT_EQ(Files(), (std::set<std::string>{"board.mdb", "board.mdb.jet"}));
}

TEST_F(MainArchive, KeepsTheOriginalUnderTheFirstFreeName) {
    test::MakeArchive(dir_.File("zenta.mdb.jet"));
    std::string other = test::ReadFile(dir_.File("zenta.mdb.jet"));
    test::MakeArchive(dir_.File("zenta.mdb.1.jet"));
    EXPECT_EQ(PrepareMainArchive(Main()), dir_.File("zenta.mdb.2.jet"));
    EXPECT_EQ(test::ReadFile(dir_.File("zenta.mdb.2.jet")), original_);
    EXPECT_EQ(test::ReadFile(dir_.File("zenta.mdb.jet")), other);
    ExpectConverted();
}

TEST_F(MainArchive, LeavesOtherFilesAlone) {
    fs::remove(Main());
    EXPECT_EQ(PrepareMainArchive(Main()), "");  // none: the opening reports it
    test::MakeArchive(Main());
    EXPECT_EQ(PrepareMainArchive(Main()), "");
    EXPECT_EQ(Files(), (std::set<std::string>{"zenta.mdb"}));
}

TEST_F(MainArchive, FailedConversionLeavesTheJetFile) {
    std::string damaged = original_.substr(0, 5 * 4096);
    { std::ofstream(dir_.File("unused.mdb")) << "a stray file the conversion must not touch"; }
    fs::remove(Main());
    { std::ofstream(Main(), std::ios::binary) << damaged; }
    try {
        PrepareMainArchive(Main());
        ADD_FAILURE() << "converted a damaged file";
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()).rfind("\"" + Main() + "\" is not a readable archive: ", 0), 0u) << e.what();
    }
    EXPECT_EQ(test::ReadFile(Main()), damaged);
    EXPECT_EQ(Files(), (std::set<std::string>{"zenta.mdb", "unused.mdb"}));
}

// The program is killed (as by a power cut) at a progress report of the conversion: the
// Jet file stays in place, untouched, and the next start-up converts it.
TEST_F(MainArchive, KilledHalfWayLeavesTheOriginal) {
    for (int killed_at_call : {0, 1}) {
        pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            int calls = 0;
            try {
                PrepareMainArchive(Main(), [&](int64_t, int64_t) {
                    if (calls++ == killed_at_call) raise(SIGKILL);
                });
            } catch (...) {
            }
            _exit(0);
        }
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFSIGNALED(status)) << "call " << killed_at_call;
        EXPECT_EQ(test::ReadFile(Main()), original_) << "call " << killed_at_call;
        EXPECT_FALSE(fs::exists(dir_.File("zenta.mdb.jet")));
    }
    EXPECT_EQ(PrepareMainArchive(Main()), dir_.File("zenta.mdb.jet"));
    ExpectConverted();
    EXPECT_EQ(test::ReadFile(dir_.File("zenta.mdb.jet")), original_);
    EXPECT_EQ(Files(), (std::set<std::string>{"zenta.mdb", "zenta.mdb.jet"}));
}

// Killed after the original got its second name but before the rename: the next start-up
// takes that name again instead of keeping a second copy, and clears the leftovers.
TEST_F(MainArchive, KilledBeforeTheRenameReusesTheKeptOriginal) {
    ASSERT_EQ(link(Main().c_str(), dir_.File("zenta.mdb.jet").c_str()), 0);
    { std::ofstream(dir_.File(".zenta.mdb.converted")) << "half"; }
    { std::ofstream(dir_.File("..zenta.mdb.converted.part-abc123")) << "half"; }
    EXPECT_EQ(PrepareMainArchive(Main()), dir_.File("zenta.mdb.jet"));
    ExpectConverted();
    EXPECT_EQ(test::ReadFile(dir_.File("zenta.mdb.jet")), original_);
    EXPECT_EQ(Files(), (std::set<std::string>{"zenta.mdb", "zenta.mdb.jet"}));
}

}  // namespace
}  // namespace zenta
