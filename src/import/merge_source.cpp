#include "import/merge_source.h"

#include <strings.h>

#include "archive/archive_format.h"
#include "import/unpack_archive.h"

namespace zenta {
bool IsCompressedArchiveName(std::string_view fileName) {
    std::string_view name = fileName.substr(fileName.find_last_of('/') + 1);
    size_t dot = name.find_last_of('.');
    if (dot == std::string_view::npos) return false;
    std::string_view extension = name.substr(dot);
    return extension.size() == 4 && strncasecmp(extension.data(), ".znt", 4) == 0;
}

std::string UnpackedSourcePath() { return GetSystemDir() + "tmp.tst"; }

std::unique_ptr<Connection> OpenMergeSource(const std::string& fileName, const Progress& progress,
                                            const JetConversionOptions& options) {
    std::string path = fileName;
    if (IsCompressedArchiveName(fileName)) {
        path = UnpackedSourcePath();
        UnpackArchive(fileName, path);
    }
    if (DetectArchiveFormat(path) == ArchiveFormat::Jet)
        return OpenConvertedJetArchive(path, GetSystemDir() + "converted.tst", progress, options);
    return std::make_unique<Connection>(path, Access::ReadOnly);
}

}  // namespace zenta
