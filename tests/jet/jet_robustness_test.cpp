// Damaged and foreign files end in a clean error or a correct conversion; the reader's
// own process never crashes, hangs or grows, whatever the helper does.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>

#include "archive/connection.h"
#include "archive/jet_conversion.h"
#include "base/errors.h"
#include "converted_archive.h"
#include "support/test_archive.h"

namespace zenta {
namespace {

using namespace std::chrono_literals;

constexpr size_t kPage = 4096;

// Tight limits keep a looping or swelling reader short.
JetConversionOptions TightLimits() {
    JetConversionOptions options;
    options.addressSpace = uint64_t{512} << 20;
    options.cpuTime = 5s;
    options.wallTime = 10s;
    return options;
}

void WriteFile(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

// Converts `bytes` and checks the outcome: an error naming the file as not readable and
// no file left behind, or an archive that opens and holds the board's tables.
void ExpectCleanOutcome(const test::TempDir& dir, const std::string& name, const std::string& bytes,
                        const JetConversionOptions& options = TightLimits()) {
    std::string source = dir.File(name);
    std::string dest = dir.File(name + ".native");
    WriteFile(source, bytes);
    try {
        ConvertJetArchive(source, dest, {}, options);
        Connection connection(dest);
        EXPECT_NE(test::QueryRows(dest, "SELECT count(*) FROM sqlite_master WHERE name LIKE 'FORUM_%'").at(0).at(0),
                  "0")
            << name;
    } catch (const Error& e) {
        std::string expected = "\"" + source + "\" is not a readable archive: ";
        EXPECT_EQ(std::string(e.what()).substr(0, expected.size()), expected) << name << ": " << e.what();
        EXPECT_FALSE(std::filesystem::exists(dest)) << name;
    }
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        EXPECT_EQ(entry.path().filename().string().find(".part-"), std::string::npos)
            << "left behind: " << entry.path();
}

class JetRobustness : public ::testing::Test {
protected:
    void SetUp() override {
        if (!test::FixturesAvailable()) GTEST_SKIP() << "the shared Jet fixtures are not there";
        original_ = test::ReadFile(test::FixturePath("sample.mdb"));
    }
    test::TempDir dir_;
    std::string original_;
};

TEST_F(JetRobustness, TruncatedCopies) {
    for (size_t size : {size_t{0}, size_t{1}, size_t{100}, kPage, 2 * kPage + 7, 5 * kPage, 20 * kPage, 40 * kPage,
                        original_.size() - kPage, original_.size() - 1})
        ExpectCleanOutcome(dir_, "cut-" + std::to_string(size) + ".mdb", original_.substr(0, size));
}

TEST_F(JetRobustness, ByteFlipsInSeveralPages) {
    std::mt19937 random(20021231);
    const size_t pages = original_.size() / kPage;
    for (size_t page = 0; page < pages; page += 3) {
        for (int variant = 0; variant < 2; ++variant) {
            std::string bytes = original_;
            int flips = variant == 0 ? 4 : 64;
            for (int i = 0; i < flips; ++i) {
                // Page 0 keeps its format signature so that the reader gets to read it.
                size_t offset = page * kPage + (page == 0 ? 20 : 0) + random() % (kPage - (page == 0 ? 20 : 0));
                bytes[offset] = static_cast<char>(bytes[offset] ^ (1 << (random() % 8)));
            }
            ExpectCleanOutcome(dir_, "flip-" + std::to_string(page) + "-" + std::to_string(flips) + ".mdb", bytes);
        }
    }
}

TEST_F(JetRobustness, ForeignFiles) {
    const std::string png("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0\x01\0\0\0\x01\x08\x02\0\0\0\x90wS\xde", 33);
    ExpectCleanOutcome(dir_, "page.html", "<!DOCTYPE html><html><body>Standard Jet DB</body></html>");
    ExpectCleanOutcome(dir_, "picture.png", png);
    ExpectCleanOutcome(dir_, "jet-header-only.mdb", original_.substr(0, 32));
    ExpectCleanOutcome(dir_, "jet-header-and-noise.mdb", original_.substr(0, 64) + std::string(3 * kPage, '\xA5'));
}

// Whatever becomes of the helper, the caller gets its error and nothing is left behind.
TEST_F(JetRobustness, HelperThatCrashesOrHangs) {
    struct Case {
        const char* name;
        const char* script;
        const char* reason;
    };
    const Case cases[] = {
        {"crashes", "kill -SEGV $$", "the Jet reader broke down on it (Segmentation fault)"},
        {"hangs", "exec sleep 30", "reading it took longer than 1 seconds"},
        {"spins", "while :; do :; done", "reading it took longer than 1 seconds"},
        {"fails quietly", "exit 3", "the Jet reader failed (exit status 3)"},
        {"says why", "echo 'error table FORUM_REPLY: bad page' >&3; exit 1", "table FORUM_REPLY: bad page"},
#if !defined(__SANITIZE_ADDRESS__)  // a sanitizer build sets no address-space limit
        {"tells its limits", "echo \"error $(ulimit -v) KiB, $(ulimit -t) s\" >&3; exit 1", "524288 KiB, 5 s"},
#endif
    };
    for (const Case& c : cases) {
        std::string helper = dir_.File("helper.sh");
        WriteFile(helper, std::string("#!/bin/sh\n") + c.script + "\n");
        std::filesystem::permissions(helper, std::filesystem::perms::owner_all);
        JetConversionOptions options = TightLimits();
        options.helper = helper;
        options.wallTime = 1s;
        std::string dest = dir_.File("out.mdb");
        auto started = std::chrono::steady_clock::now();
        try {
            ConvertJetArchive(test::FixturePath("sample.mdb"), dest, {}, options);
            ADD_FAILURE() << c.name << ": converted";
        } catch (const Error& e) {
            EXPECT_EQ(e.what(), "\"" + test::FixturePath("sample.mdb") + "\" is not a readable archive: " + c.reason)
                << c.name;
        }
        EXPECT_LT(std::chrono::steady_clock::now() - started, 5s) << c.name;
        EXPECT_FALSE(std::filesystem::exists(dest)) << c.name;
        std::filesystem::remove(helper);
        EXPECT_TRUE(std::filesystem::is_empty(dir_.path())) << c.name;
    }
}

TEST_F(JetRobustness, MissingHelperIsAnError) {
    JetConversionOptions options;
    options.helper = dir_.File("no-such-helper");
    EXPECT_THROW(ConvertJetArchive(test::FixturePath("sample.mdb"), dir_.File("out.mdb"), {}, options), Error);
    EXPECT_TRUE(std::filesystem::is_empty(dir_.path()));
}

}  // namespace
}  // namespace zenta
