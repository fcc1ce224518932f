#include "cli/archive_argument.h"

namespace zenta::cli {

std::unique_ptr<Connection> OpenArchiveArgument(const std::string& path) { return std::make_unique<Connection>(path); }

}  // namespace zenta::cli
