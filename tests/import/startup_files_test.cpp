// What the command line names at start-up: the main archive found in the usual places or named, and a compressed
// or Jet file offered as data to add; the usual places from the environment.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "archive/main_archive.h"
#include "base/errors.h"
#include "import/startup_files.h"
#include "support/scoped_environment.h"
#include "support/test_archive.h"

namespace zenta {
namespace {

namespace fs = std::filesystem;

// Files in the test's folder: "main" (native, the first usual place), "data/main" (native, the second), "board.mdb"
// (native), "jet.mdb" (Jet), "other.znt" (compressed); "-" names nothing.
struct Case {
    const char* name;
    std::vector<const char*> present;
    const char* named;
    const char* main;       // expected, or nullptr when start-up fails
    const char* dataToAdd;  // expected, "" for none; when it fails: a piece of the error
};

const Case kCases[] = {
    {"nothing named: the first usual place", {"main", "data/main"}, "-", "main", ""},
    {"nothing named: the second usual place", {"data/main"}, "-", "data/main", ""},
    {"nothing named, nothing there: every place named", {}, "-", nullptr, "\"@/main\", \"@/data/main\""},
    {"compressed archive named: data to add", {"data/main", "other.znt"}, "other.znt", "data/main", "other.znt"},
    {"compressed archive, no main archive: fails", {"other.znt"}, "other.znt", nullptr, "\"@/main\""},
    {"Jet file beside a main archive: data to add", {"main", "jet.mdb"}, "jet.mdb", "main", "jet.mdb"},
    {"Jet file, no main archive: the main archive", {"jet.mdb"}, "jet.mdb", "jet.mdb", ""},
    {"native archive named: the main archive", {"main", "board.mdb"}, "board.mdb", "board.mdb", ""},
    {"named file missing: fails naming it", {"main"}, "gone.mdb", nullptr, "\"@/gone.mdb\""},
};

void Check(const Case& c) {
    SCOPED_TRACE(c.name);
    test::TempDir dir;
    fs::create_directories(dir.File("data"));
    for (std::string file : c.present) {
        if (file == "jet.mdb")
            fs::copy_file(test::FixturePath("sample.mdb"), dir.File(file));
        else if (file == "other.znt")
            fs::copy_file(test::FixturePath("sample-extra.znt"), dir.File(file));
        else
            test::MakeArchive(dir.File(file));
    }
    auto at = [&](std::string text) {
        for (size_t i; (i = text.find('@')) != std::string::npos;) text.replace(i, 1, dir.path());
        return text;
    };
    const std::string named = std::string(c.named) == "-" ? "" : dir.File(c.named);
    const std::vector<std::string> places = {dir.File("main"), dir.File("data/main")};
    if (!c.main) {
        try {
            ChooseStartupFiles(named, places);
            ADD_FAILURE() << "no error";
        } catch (const Error& e) {
            EXPECT_NE(std::string(e.what()).find(at(c.dataToAdd)), std::string::npos) << e.what();
        }
        return;
    }
    const StartupFiles files = ChooseStartupFiles(named, places);
    EXPECT_EQ(files.mainArchive, dir.File(c.main));
    EXPECT_EQ(files.dataToAdd, *c.dataToAdd ? dir.File(c.dataToAdd) : "");
}

TEST(StartupFiles, ChoosesTheMainArchiveAndTheDataToAdd) {
    if (!test::FixturesAvailable()) GTEST_SKIP() << "the shared Jet fixtures are not there";
    for (const Case& c : kCases) Check(c);
}

TEST(StartupFiles, JetMainArchiveNamedByAnotherPathIsNoDataToAdd) {
    if (!test::FixturesAvailable()) GTEST_SKIP() << "the shared Jet fixtures are not there";
    test::TempDir dir;
    fs::copy_file(test::FixturePath("sample.mdb"), dir.File("zenta.mdb"));
    const StartupFiles files = ChooseStartupFiles(dir.path() + "/./zenta.mdb", {dir.File("zenta.mdb")});
    EXPECT_EQ(files.mainArchive, dir.path() + "/./zenta.mdb");
    EXPECT_EQ(files.dataToAdd, "");
}

TEST(MainArchivePlaces, BesideTheExecutableThenInTheUsersDataFolder) {
    struct {
        std::optional<std::string> dataHome, home;
        std::vector<std::string> places;
    } cases[] = {
        {"/data", "/home/u", {"/opt/z/zenta.mdb", "/data/zenta/zenta.mdb"}},
        {std::nullopt, "/home/u", {"/opt/z/zenta.mdb", "/home/u/.local/share/zenta/zenta.mdb"}},
        {"", "/home/u", {"/opt/z/zenta.mdb", "/home/u/.local/share/zenta/zenta.mdb"}},
        {"relative/data", "/home/u", {"/opt/z/zenta.mdb", "/home/u/.local/share/zenta/zenta.mdb"}},
        {std::nullopt, std::nullopt, {"/opt/z/zenta.mdb"}},
    };
    for (const auto& c : cases) {
        test::ScopedEnvironment environment;
        environment.Set("XDG_DATA_HOME", c.dataHome);
        environment.Set("HOME", c.home);
        EXPECT_EQ(MainArchivePlaces("/opt/z"), c.places) << c.dataHome.value_or("(unset)");
    }
}

}  // namespace
}  // namespace zenta
