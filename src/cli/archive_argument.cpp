#include "cli/archive_argument.h"

#include <filesystem>

#include "archive/archive_format.h"
#include "archive/jet_conversion.h"
#include "archive/schema.h"
#include "base/errors.h"

namespace zenta::cli {
namespace {

// A Jet file is read through a converted copy in a private temporary folder.
std::unique_ptr<Connection> OpenConvertedCopy(const std::string& path) {
    std::string folder = (std::filesystem::temp_directory_path() / "zenta-cli-XXXXXX").string();
    if (!mkdtemp(folder.data())) throw Error("Cannot make a temporary folder for converting \"" + path + "\"");
    std::error_code ec;
    try {
        auto connection = OpenConvertedJetArchive(path, folder + "/converted.mdb");
        std::filesystem::remove_all(folder, ec);
        return connection;
    } catch (...) {
        std::filesystem::remove_all(folder, ec);
        throw;
    }
}

}  // namespace

std::unique_ptr<Connection> OpenArchiveArgument(const std::string& path) {
    auto connection = DetectArchiveFormat(path) == ArchiveFormat::Jet
                          ? OpenConvertedCopy(path)
                          : std::make_unique<Connection>(path, Access::ReadOnly);
    CheckArchiveTables(connection->handle(), path);
    return connection;
}

std::unique_ptr<Connection> OpenWritableArchiveArgument(const std::string& path) {
    if (DetectArchiveFormat(path) == ArchiveFormat::Jet)
        throw Error("\"" + path + "\" is a Jet archive, which is never written: convert it first (zenta-cli convert)");
    auto connection = std::make_unique<Connection>(path);
    CheckArchiveTables(connection->handle(), path);
    return connection;
}

}  // namespace zenta::cli
