#include "import/merge_source.h"

#include <strings.h>

#include <filesystem>

#include "archive/archive_format.h"
#include "import/unpack_archive.h"

namespace zenta {
namespace {

// The converted copy is unlinked as soon as it is open: the connection goes on reading it,
// and no second copy of the source is left in the cache folder.
std::unique_ptr<Connection> OpenJetSource(const std::string& path, const ConversionProgress& progress) {
    const std::string copy = GetSystemDir() + "converted.tst";
    std::filesystem::remove(copy);
    ConvertJetArchive(path, copy, progress);
    auto connection = std::make_unique<Connection>(copy);
    std::filesystem::remove(copy);
    return connection;
}

}  // namespace

bool IsCompressedArchiveName(std::string_view fileName) {
    std::string_view name = fileName.substr(fileName.find_last_of('/') + 1);
    size_t dot = name.find_last_of('.');
    if (dot == std::string_view::npos) return false;
    std::string_view extension = name.substr(dot);
    return extension.size() == 4 && strncasecmp(extension.data(), ".znt", 4) == 0;
}

std::string UnpackedSourcePath() { return GetSystemDir() + "tmp.tst"; }

std::unique_ptr<Connection> OpenMergeSource(const std::string& fileName, const ConversionProgress& progress) {
    std::string path = fileName;
    if (IsCompressedArchiveName(fileName)) {
        path = UnpackedSourcePath();
        UnpackArchive(fileName, path);
    }
    if (DetectArchiveFormat(path) == ArchiveFormat::Jet) return OpenJetSource(path, progress);
    return std::make_unique<Connection>(path);
}

}  // namespace zenta
