#include "archive/archive_format.h"

#include <cerrno>
#include <cstring>
#include <fstream>

#include "base/errors.h"

namespace zenta {

ArchiveFormat DetectArchiveFormat(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) throw DatabaseError("Cannot open the archive \"" + path + "\": " + std::strerror(errno));
    char head[20] = {};
    file.read(head, sizeof head);
    std::string bytes(head, static_cast<size_t>(file.gcount()));
    if (bytes.size() >= 16 && bytes.compare(0, 16, std::string("SQLite format 3\0", 16)) == 0)
        return ArchiveFormat::Native;
    if (bytes.size() >= 19 &&
        (bytes.compare(4, 15, "Standard Jet DB") == 0 || bytes.compare(4, 15, "Standard ACE DB") == 0))
        return ArchiveFormat::Jet;
    return ArchiveFormat::Unknown;
}

}  // namespace zenta
