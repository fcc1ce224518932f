#include "base/executable_dir.h"

#include <filesystem>
#include <system_error>

#include "base/errors.h"

namespace zenta {

std::string ExecutableDirectory() {
    std::error_code ec;
    std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) throw Error("Cannot find the program's own folder: " + ec.message());
    return self.parent_path().string();
}

}  // namespace zenta
