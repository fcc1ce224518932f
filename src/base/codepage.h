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

// The start of a narrow text: its first `bytes` bytes, or one more so as to end between
// characters (a byte 81..FE starts a two-byte unit); what a cell too narrow for it shows.
std::string NarrowStart(std::string_view narrow, size_t bytes);

}  // namespace zenta
