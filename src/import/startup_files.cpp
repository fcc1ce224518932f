#include "import/startup_files.h"

#include <filesystem>
#include <system_error>

#include "archive/archive_format.h"
#include "archive/main_archive.h"
#include "import/merge_source.h"

namespace zenta {
namespace {

namespace fs = std::filesystem;

bool IsJetFile(const std::string& path) {
    std::error_code ec;
    return fs::is_regular_file(path, ec) && DetectArchiveFormat(path) == ArchiveFormat::Jet;
}

}  // namespace

StartupFiles ChooseStartupFiles(const std::string& named, const std::vector<std::string>& places) {
    if (named.empty()) return {LocateMainArchive(places), ""};
    if (IsCompressedArchiveName(named)) return {LocateMainArchive(places), named};
    if (IsJetFile(named)) {
        const std::string main = FindMainArchive(places);
        std::error_code ec;
        if (!main.empty() && !fs::equivalent(main, named, ec)) return {main, named};
    }
    return {LocateMainArchive({named}), ""};
}

}  // namespace zenta
