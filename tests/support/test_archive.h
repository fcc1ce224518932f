// Test helpers: a temporary folder, small native archives made from SQL, the shared fixtures.
#pragma once

#include <string>

namespace zenta::test {

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// Creates a native archive (the five tables, no rows) at `path` and runs `sql` on it
// (UTF-8 statements, usually inserts). Fails the test on an error.
void MakeArchive(const std::string& path, const std::string& sql = "");

// Runs statements on an existing archive file directly, bypassing the reader's layer.
void RunSql(const std::string& path, const std::string& sql);

// The path of a file among the shared Jet fixtures, and whether they are there.
std::string FixturePath(const std::string& name);
bool FixturesAvailable();

// Runs zenta-cli with the arguments (already quoted for the shell); returns its exit status
// and fills what it wrote on stdout and stderr.
int RunCli(const std::string& arguments, std::string* out = nullptr, std::string* err = nullptr);

// Reads a whole file's bytes.
std::string ReadFile(const std::string& path);

}  // namespace zenta::test
