// Tells an archive file's format by its first bytes, never by its name.
#pragma once

#include <string>

namespace zenta {

enum class ArchiveFormat { Native, Jet, Unknown };

// Reads the head of the file. A file that cannot be opened raises DatabaseError.
ArchiveFormat DetectArchiveFormat(const std::string& path);

}  // namespace zenta
