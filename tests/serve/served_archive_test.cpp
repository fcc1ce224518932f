// A Jet file is served through one converted copy in the private cache folder, made once and
// made again only when the Jet file changes; a native archive is served as it is.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "serve/served_archive.h"
#include "support/scoped_environment.h"
#include "support/test_archive.h"

namespace zenta {
namespace {

TEST(ServedArchive, AJetFileIsConvertedOnceIntoTheCacheFolderAndAgainWhenItChanges) {
    ASSERT_TRUE(test::FixturesAvailable());
    test::TempDir dir;
    test::ScopedEnvironment environment;
    environment.Set("XDG_CACHE_HOME", dir.File("cache"));
    std::filesystem::create_directory(dir.File("board"));
    std::string jet = dir.File("board/sample.mdb");
    std::filesystem::copy_file(test::FixturePath("sample.mdb"), jet);

    serve::ServedArchive first = serve::PrepareServedArchive(jet);
    EXPECT_TRUE(first.converted);
    EXPECT_TRUE(first.path.starts_with(dir.File("cache/zenta/"))) << first.path;
    struct stat made {};
    ASSERT_EQ(stat(first.path.c_str(), &made), 0);

    serve::ServedArchive again = serve::PrepareServedArchive(jet);
    EXPECT_EQ(again.path, first.path);
    struct stat reused {};
    ASSERT_EQ(stat(again.path.c_str(), &reused), 0);
    EXPECT_EQ(reused.st_ino, made.st_ino) << "the copy is used again, not made again";
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.File("board")), {}), 1)
        << "nothing is written beside the Jet file";

    std::filesystem::last_write_time(jet, std::filesystem::last_write_time(jet) + std::chrono::seconds(5));
    serve::ServedArchive changed = serve::PrepareServedArchive(jet);
    EXPECT_NE(changed.path, first.path);
    EXPECT_TRUE(std::filesystem::exists(changed.path));
    EXPECT_FALSE(std::filesystem::exists(first.path)) << "the copy of the file's earlier state is removed";

    std::string native = dir.File("native.mdb");
    test::MakeArchive(native);
    serve::ServedArchive plain = serve::PrepareServedArchive(native);
    EXPECT_FALSE(plain.converted);
    EXPECT_EQ(plain.path, native);
}

}  // namespace
}  // namespace zenta
