// The folder of the running executable: the main archive and the helper programs lie there.
#pragma once

#include <string>

namespace zenta {

// Raises Error when the system cannot tell.
std::string ExecutableDirectory();

}  // namespace zenta
