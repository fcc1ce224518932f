#include "base/executable_dir.h"

#include <unistd.h>

#include <filesystem>
#include <system_error>

#include "base/errors.h"
#include "base/install_layout.h"

namespace zenta {

std::string ExecutableDirectory() {
    std::error_code ec;
    std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) throw Error("Cannot find the program's own folder: " + ec.message());
    return self.parent_path().string();
}

std::string HelperProgram(const std::string& name) {
    const std::filesystem::path dir = ExecutableDirectory();
    const std::string beside = (dir / name).string();
    if (access(beside.c_str(), X_OK) == 0) return beside;
    return (dir / kHelperDirFromExecutable / name).lexically_normal().string();
}

}  // namespace zenta
