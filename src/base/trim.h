// Trimming as the window does it: leading and trailing characters of code 32 or below go.
#pragma once

#include <string>
#include <string_view>

namespace zenta {

std::string Trim(std::string_view text);

}  // namespace zenta
