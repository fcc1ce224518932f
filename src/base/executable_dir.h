// The folder of the running executable, and the helper programs found from it: beside it in the build folder (and
// in a copied folder), under libexec relative to it once installed. Never through PATH.
#pragma once

#include <string>

namespace zenta {

// Raises Error when the system cannot tell.
std::string ExecutableDirectory();

// The helper program `name`: the executable beside the running one when there is one, else where an install puts
// it. The second path is returned without looking, so that the caller's error names it.
std::string HelperProgram(const std::string& name);

}  // namespace zenta
