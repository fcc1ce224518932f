// Reading an archive file straight through the engine, read-only, beside the reader's own
// layer: for checking what a fault left behind.
#pragma once

#include <string>

namespace zenta::test {

// The first column of the statement's first row as text; "(failed)" when the file or the
// statement cannot be read.
std::string ReadFirstValue(const std::string& path, const std::string& sql);

}  // namespace zenta::test
