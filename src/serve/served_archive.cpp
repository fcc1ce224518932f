#include "serve/served_archive.h"

#include <sys/stat.h>

#include <cstdio>
#include <filesystem>

#include "archive/archive_format.h"
#include "archive/jet_conversion.h"
#include "base/errors.h"
#include "import/unpack_archive.h"

namespace zenta::serve {
namespace {

// FNV-1a: a name for the Jet file's path that stays the same from one run to the next.
std::string PathHash(const std::string& path) {
    std::uint64_t hash = 14695981039346656037ull;
    for (unsigned char c : path) hash = (hash ^ c) * 1099511628211ull;
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}

}  // namespace

ServedArchive PrepareServedArchive(const std::string& path, const Progress& progress) {
    if (DetectArchiveFormat(path) != ArchiveFormat::Jet) return {path, false};
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) throw Error("Cannot read \"" + path + "\"");
    std::error_code ec;
    std::string absolute = std::filesystem::absolute(path, ec).lexically_normal().string();
    std::string prefix = "served-" + PathHash(absolute) + "-";
    std::string folder = GetSystemDir();
    std::string name = prefix + std::to_string(st.st_size) + "-" + std::to_string(st.st_mtim.tv_sec) + "." +
                       std::to_string(st.st_mtim.tv_nsec) + ".mdb";
    std::string copy = folder + name;
    if (std::filesystem::exists(copy, ec)) return {copy, true};
    // The copies of the file's earlier states are of no more use.
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
        std::string other = entry.path().filename().string();
        if (other.starts_with(prefix) && other != name) std::filesystem::remove(entry.path(), ec);
    }
    try {
        ConvertJetArchive(path, copy, progress);
    } catch (const Error&) {
        // Another server converting the same file at the same moment finished first.
        if (!std::filesystem::exists(copy, ec)) throw;
    }
    return {copy, true};
}

}  // namespace zenta::serve
