// Opens the archive a command names on its command line: a native archive, or a Jet file
// read through a converted copy. Each of the five tables it has must be a real table.
#pragma once

#include <memory>
#include <string>

#include "archive/connection.h"

namespace zenta::cli {

// Read-only: a command that only reads never writes the file.
std::unique_ptr<Connection> OpenArchiveArgument(const std::string& path);

// For a command that writes into the archive: a Jet file is refused, since the writes would
// go into its converted copy and be thrown away with it.
std::unique_ptr<Connection> OpenWritableArchiveArgument(const std::string& path);

}  // namespace zenta::cli
