// The program's narrow code page. Texts travel inside the program as GB18030 byte strings
// (every GBK text is the same bytes in GB18030); the engine and the window speak UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace zenta {

// UTF-8 to GB18030. Bytes that are not valid UTF-8 become '?'.
std::string ToNarrow(std::string_view utf8);

// GB18030 to UTF-8. Bytes that are not valid GB18030 become '?'.
std::string FromNarrow(std::string_view narrow);

}  // namespace zenta
