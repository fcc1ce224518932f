#include "support/test_archive.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "archive/schema.h"

namespace zenta::test {

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "zenta-test-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

void MakeArchive(const std::string& path, const std::string& sql) {
    CreateNativeArchive(path);
    if (sql.empty()) return;
    RunSql(path, sql);
    // The title index follows the merge's writes, not these: it is filled again from the rows
    // (an archive that dropped it or its columns keeps none).
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK)
        sqlite3_exec(db, "INSERT INTO topic_title_trigrams(topic_title_trigrams) VALUES ('rebuild')", nullptr, nullptr,
                     nullptr);
    sqlite3_close(db);
}

void RunSql(const std::string& path, const std::string& sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK) << path;
    char* error = nullptr;
    int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error);
    std::string message = error ? error : "";
    sqlite3_free(error);
    sqlite3_close(db);
    ASSERT_EQ(rc, SQLITE_OK) << message << "\n" << sql;
}

std::string FixturePath(const std::string& name) { return std::string(ZENTA_FIXTURES_DIR) + "/" + name; }

bool FixturesAvailable() { return std::filesystem::exists(FixturePath("manifest.txt")); }

std::string ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

int RunCli(const std::string& arguments, std::string* out, std::string* err) {
    TempDir dir;
    std::string command =
        std::string("'") + ZENTA_CLI + "' " + arguments + " >'" + dir.File("out") + "' 2>'" + dir.File("err") + "'";
    int status = std::system(command.c_str());
    if (out) *out = ReadFile(dir.File("out"));
    if (err) *err = ReadFile(dir.File("err"));
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace zenta::test
