// Reading a merged archive back in tests: rows as text through the reader's own layer.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zenta {
class Connection;
}

namespace zenta::test {

// Rows of one statement, every value as UTF-8 text (Null as "<null>"), joined by "|".
std::vector<std::string> Rows(Connection& connection, const std::string& sql);

std::int64_t Count(Connection& connection, const std::string& table);

}  // namespace zenta::test
