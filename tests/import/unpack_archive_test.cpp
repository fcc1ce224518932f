// Unpacking compressed archives: every outcome of the format, and the private cache folder.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <zlib.h>

#include <cstdint>
#include <filesystem>
#include <fstream>

#include "import/unpack_archive.h"
#include "support/scoped_environment.h"
#include "support/test_archive.h"

namespace zenta {
namespace {

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::string Compress(const std::string& data) {
    uLongf size = compressBound(data.size());
    std::string out(size, '\0');
    EXPECT_EQ(compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(data.data()),
                        data.size(), 6),
              Z_OK);
    out.resize(size);
    return out;
}

// A zlib stream that needs a preset dictionary.
std::string CompressWithDictionary(const std::string& data) {
    z_stream z{};
    EXPECT_EQ(deflateInit(&z, 6), Z_OK);
    const std::string dictionary = "dictionary";
    deflateSetDictionary(&z, reinterpret_cast<const Bytef*>(dictionary.data()), dictionary.size());
    std::string out(compressBound(data.size()) + 64, '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z.avail_in = data.size();
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = out.size();
    EXPECT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

std::string SizeField(std::int32_t n) {
    auto u = static_cast<std::uint32_t>(n);
    return {static_cast<char>(u & 0xFF), static_cast<char>(u >> 8 & 0xFF), static_cast<char>(u >> 16 & 0xFF),
            static_cast<char>(u >> 24 & 0xFF)};
}

// Several of the unpacker's 256 KiB buffers' worth, part text, part noise.
std::string SampleArchive() {
    std::string data;
    std::uint32_t seed = 7;
    while (data.size() < 700000) {
        data += "FORUM_REPLY row " + std::to_string(data.size()) + " 来啊\r\n";
        for (int i = 0; i < 16; ++i) data += static_cast<char>((seed = seed * 1103515245 + 12345) >> 24);
    }
    return data;
}

enum class Outcome { Unpacked, ReadError, WriteError, ZlibError, OpenError, CreateError };

struct Result {
    Outcome outcome;
    std::string message;
};

Result Unpack(const std::string& source, const std::string& destination) {
    try {
        EXPECT_TRUE(UnpackArchive(source, destination));
        return {Outcome::Unpacked, ""};
    } catch (const StreamReadError& e) {
        return {Outcome::ReadError, e.what()};
    } catch (const StreamWriteError& e) {
        return {Outcome::WriteError, e.what()};
    } catch (const zenta::ZlibError& e) {
        return {Outcome::ZlibError, e.what()};
    } catch (const FileOpenError& e) {
        return {Outcome::OpenError, e.what()};
    } catch (const FileCreateError& e) {
        return {Outcome::CreateError, e.what()};
    }
}

TEST(UnpackArchive, EveryShapeOfCompressedArchive) {
    const std::string archive = SampleArchive();
    const std::string stream = Compress(archive);
    const auto n = static_cast<std::int32_t>(archive.size());
    std::string badAdler = stream;
    badAdler.back() ^= 1;
    std::string badMethod = stream;
    badMethod[0] = static_cast<char>((badMethod[0] & 0xF0) | 7);
    struct Case {
        const char* name;
        std::string bytes;
        Outcome outcome;
        std::string unpacked;  // what the destination holds afterwards
    } cases[] = {
        {"round trip", SizeField(n) + stream, Outcome::Unpacked, archive},
        {"bytes after the stream are ignored", SizeField(n) + stream + "trailing junk", Outcome::Unpacked, archive},
        {"size zero examines nothing", SizeField(0) + "not a zlib stream", Outcome::Unpacked, ""},
        {"size zero and nothing else", SizeField(0), Outcome::Unpacked, ""},
        {"smaller size cuts the archive", SizeField(1000) + stream, Outcome::Unpacked, archive.substr(0, 1000)},
        {"one byte short", SizeField(n - 1) + stream, Outcome::Unpacked, archive.substr(0, archive.size() - 1)},
        {"larger size", SizeField(n + 1) + stream, Outcome::ReadError, ""},
        {"larger size with bytes after the stream", SizeField(n + 1) + stream + "junk", Outcome::ReadError, ""},
        {"stream cut in the middle", SizeField(n) + stream.substr(0, stream.size() / 2), Outcome::ReadError, ""},
        {"empty file", "", Outcome::ReadError, ""},
        {"one byte", "\x10", Outcome::ReadError, ""},
        {"three bytes", SizeField(n).substr(0, 3), Outcome::ReadError, ""},
        {"size field only", SizeField(n), Outcome::ReadError, ""},
        {"compression method not 8", SizeField(n) + badMethod, Outcome::ZlibError, ""},
        {"wrong Adler-32", SizeField(n) + badAdler, Outcome::ZlibError, ""},
        {"preset dictionary", SizeField(n) + CompressWithDictionary(archive), Outcome::ZlibError, ""},
        {"not compressed at all", SizeField(n) + archive, Outcome::ZlibError, ""},
        {"negative size", SizeField(-5) + stream, Outcome::WriteError, ""},
        {"top bit set", SizeField(INT32_MIN) + stream, Outcome::WriteError, ""},
    };
    test::TempDir dir;
    const std::string source = dir.File("in.znt");
    const std::string destination = dir.File("tmp.tst");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFile(source, c.bytes);
        WriteFile(destination, "the last archive unpacked");
        Result result = Unpack(source, destination);
        EXPECT_EQ(result.outcome, c.outcome) << result.message;
        EXPECT_EQ(test::ReadFile(destination), c.unpacked);
        // The zlib error says just "error"; the others name the file concerned.
        std::string named = c.outcome == Outcome::ReadError    ? source
                            : c.outcome == Outcome::WriteError ? destination
                                                               : "";
        if (c.outcome == Outcome::ZlibError) {
            EXPECT_EQ(result.message, "error");
        } else if (!named.empty()) {
            EXPECT_NE(result.message.find(named), std::string::npos) << result.message;
        }
    }
}

TEST(UnpackArchive, MissingSourceLeavesAnEmptyDestination) {
    test::TempDir dir;
    const std::string destination = dir.File("tmp.tst");
    WriteFile(destination, "the last archive unpacked");
    Result result = Unpack(dir.File("missing.znt"), destination);
    EXPECT_EQ(result.outcome, Outcome::OpenError);
    EXPECT_NE(result.message.find(dir.File("missing.znt")), std::string::npos) << result.message;
    ASSERT_TRUE(std::filesystem::exists(destination));
    EXPECT_EQ(std::filesystem::file_size(destination), 0u);
}

TEST(UnpackArchive, DestinationThatCannotBeCreatedChangesNothing) {
    test::TempDir dir;
    const std::string source = dir.File("in.znt");
    const std::string archive = "archive bytes";
    WriteFile(source, SizeField(static_cast<std::int32_t>(archive.size())) + Compress(archive));
    // A planted link is refused, and the file it points at keeps its bytes.
    const std::string target = dir.File("victim");
    WriteFile(target, "precious");
    std::filesystem::create_symlink(target, dir.File("link.tst"));
    const std::string before = test::ReadFile(source);
    for (const std::string& destination :
         {dir.File("link.tst"), dir.File("no-such-folder/tmp.tst"), dir.path(), source}) {
        SCOPED_TRACE(destination);
        Result result = Unpack(source, destination);
        EXPECT_EQ(result.outcome, Outcome::CreateError);
        EXPECT_NE(result.message.find(destination), std::string::npos) << result.message;
    }
    EXPECT_EQ(test::ReadFile(target), "precious");
    EXPECT_TRUE(std::filesystem::is_symlink(dir.File("link.tst")));
    EXPECT_EQ(test::ReadFile(source), before);
}

TEST(UnpackArchive, SharedFixtureUnpacksToItsArchive) {
    if (!test::FixturesAvailable()) GTEST_SKIP() << "shared fixtures not present";
    test::TempDir dir;
    ASSERT_EQ(Unpack(test::FixturePath("sample-extra.znt"), dir.File("tmp.tst")).outcome, Outcome::Unpacked);
    EXPECT_EQ(test::ReadFile(dir.File("tmp.tst")), test::ReadFile(test::FixturePath("sample-extra.mdb")));
}

mode_t ModeOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(stat(path.c_str(), &st), 0) << path;
    return st.st_mode & 0777;
}

TEST(GetSystemDir, PrivateFolderInTheUsersCache) {
    test::TempDir dir;
    test::ScopedEnvironment environment;
    struct Case {
        const char* name;
        std::optional<std::string> cache;
        std::string expected;
    } cases[] = {
        {"cache folder named", dir.File("xdg"), dir.File("xdg/zenta/")},
        {"trailing slash adds no second one", dir.File("xdg2") + "/", dir.File("xdg2/zenta/")},
        {"relative cache folder is ignored", std::string("relative/cache"), dir.File("home/.cache/zenta/")},
        {"no cache folder named", std::nullopt, dir.File("home/.cache/zenta/")},
    };
    environment.Set("HOME", dir.File("home"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        environment.Set("XDG_CACHE_HOME", c.cache);
        std::string got = GetSystemDir();
        EXPECT_EQ(got, c.expected);
        EXPECT_TRUE(std::filesystem::is_directory(got));
        EXPECT_EQ(ModeOf(got), 0700u);
    }
}

TEST(GetSystemDir, LooseFolderIsMadePrivateAndALinkRefused) {
    test::TempDir dir;
    test::ScopedEnvironment environment;
    environment.Set("XDG_CACHE_HOME", dir.path());
    std::filesystem::create_directory(dir.File("zenta"));
    chmod(dir.File("zenta").c_str(), 0777);
    EXPECT_EQ(GetSystemDir(), dir.File("zenta/"));
    EXPECT_EQ(ModeOf(dir.File("zenta")), 0700u);

    std::filesystem::remove(dir.File("zenta"));
    std::filesystem::create_directory(dir.File("elsewhere"));
    std::filesystem::create_directory_symlink(dir.File("elsewhere"), dir.File("zenta"));
    EXPECT_THROW(GetSystemDir(), Error);
}

}  // namespace
}  // namespace zenta
