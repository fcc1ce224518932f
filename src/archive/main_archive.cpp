#include "archive/main_archive.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "archive/archive_format.h"
#include "archive/connection.h"
#include "archive/schema.h"
#include "base/errors.h"
#include "base/file_descriptor.h"

namespace zenta {
namespace {

namespace fs = std::filesystem;

// Leftovers of an interrupted conversion of NAME carry .NAME.converted in their names; only
// the holder of the lock on the Jet file writes them.
std::string ConvertedName(const std::string& name) { return "." + name + ".converted"; }

FileDescriptor OpenFile(const std::string& path, int flags) {
    FileDescriptor file(open(path.c_str(), flags | O_CLOEXEC));
    if (!file) throw Error("Cannot open \"" + path + "\": " + std::strerror(errno));
    return file;
}

void SyncFolder(const std::string& dir) {
    FileDescriptor folder = OpenFile(dir, O_RDONLY | O_DIRECTORY);
    if (fsync(folder.get()) != 0) throw Error("Cannot write in \"" + dir + "\": " + std::strerror(errno));
}

bool SameFile(const std::string& a, const std::string& b) {
    struct stat sa, sb;
    return stat(a.c_str(), &sa) == 0 && stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

void RemoveLeftovers(const std::string& dir, const std::string& name) {
    const std::string mark = ConvertedName(name);
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(dir, ec)) {
        if (entry.path().filename().string().find(mark) != std::string::npos) fs::remove(entry.path(), ec);
    }
}

// Gives the original a second name, NAME.jet or the first free NAME.N.jet. A name that
// already is the original (an earlier start-up stopped after this step) is taken again.
std::string KeepOriginal(const std::string& dir, const std::string& main) {
    const std::string name = fs::path(main).filename().string();
    for (int n = 0;; ++n) {
        std::string kept = dir + "/" + name + (n ? "." + std::to_string(n) : "") + ".jet";
        if (SameFile(main, kept)) return kept;
        std::error_code ec;
        if (fs::exists(kept, ec)) continue;
        if (link(main.c_str(), kept.c_str()) == 0) return kept;
        if (errno == EEXIST) continue;
        // A file system without hard links: a full copy, renamed into place when complete.
        std::string part = dir + "/" + ConvertedName(name) + ".original";
        fs::copy_file(main, part, fs::copy_options::overwrite_existing, ec);
        if (!ec) {
            FileDescriptor copy = OpenFile(part, O_RDONLY);
            if (fsync(copy.get()) != 0 ||
                renameat2(AT_FDCWD, part.c_str(), AT_FDCWD, kept.c_str(), RENAME_NOREPLACE) != 0)
                ec = std::error_code(errno, std::generic_category());
        }
        if (ec) throw Error("Cannot keep the original of \"" + main + "\" as \"" + kept + "\": " + ec.message());
        return kept;
    }
}

}  // namespace

std::string MainArchivePath(const std::string& dir) { return dir + "/zenta.mdb"; }

std::vector<std::string> MainArchivePlaces(const std::string& executableDir) {
    std::vector<std::string> places = {MainArchivePath(executableDir)};
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    const char* home = std::getenv("HOME");
    fs::path data;
    if (dataHome && fs::path(dataHome).is_absolute())
        data = dataHome;
    else if (home && *home)
        data = fs::path(home) / ".local/share";
    if (!data.empty()) places.push_back(MainArchivePath((data / "zenta").string()));
    return places;
}

std::string FindMainArchive(const std::vector<std::string>& places) {
    for (const std::string& place : places) {
        std::error_code ec;
        if (fs::exists(place, ec)) return place;
    }
    return "";
}

std::string LocateMainArchive(const std::vector<std::string>& places) {
    std::string found = FindMainArchive(places);
    if (!found.empty()) return found;
    std::string looked;
    for (const std::string& place : places) looked += (looked.empty() ? "\"" : ", \"") + place + "\"";
    throw Error("No main archive in any place looked at: " + looked);
}

void OpenMainArchive(Connection& connection, const std::string& path) {
    connection.Open(path);
    try {
        CheckArchiveTables(connection.handle(), path);
    } catch (...) {
        connection.Close();
        throw;
    }
}

std::string PrepareMainArchive(const std::string& path, const Progress& progress,
                               const JetConversionOptions& options) {
    const std::string& main = path;
    std::error_code ec;
    const fs::path absolute = fs::absolute(path, ec);
    if (ec) throw Error("Cannot find the folder of \"" + path + "\": " + ec.message());
    const std::string dir = absolute.parent_path().string();
    const std::string name = absolute.filename().string();
    if (!fs::is_regular_file(main, ec) || DetectArchiveFormat(main) != ArchiveFormat::Jet) return "";
    // The lock lives on the Jet file itself: a second program waits here, then finds the
    // native archive in its place and has nothing to do.
    FileDescriptor jet = OpenFile(main, O_RDONLY);
    if (flock(jet.get(), LOCK_EX) != 0) throw Error("Cannot lock \"" + main + "\": " + std::strerror(errno));
    if (!SameFile(main, "/proc/self/fd/" + std::to_string(jet.get())) ||
        DetectArchiveFormat(main) != ArchiveFormat::Jet)
        return "";

    RemoveLeftovers(dir, name);
    std::string converted = dir + "/" + ConvertedName(name);
    // 1. The native archive is written and synced under a name of its own.
    ConvertJetArchive(main, converted, progress, options);
    try {
        // 2. The original gets its second name; zenta.mdb is still the Jet file.
        std::string kept = KeepOriginal(dir, main);
        SyncFolder(dir);
        // 3. One rename puts the native archive in place.
        if (rename(converted.c_str(), main.c_str()) != 0)
            throw Error("Cannot put the converted archive in place of \"" + main + "\": " + std::strerror(errno));
        SyncFolder(dir);
        return kept;
    } catch (...) {
        fs::remove(converted, ec);
        throw;
    }
}

}  // namespace zenta
