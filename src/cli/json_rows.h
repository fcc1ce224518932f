// Result rows as JSON Lines: one object a row, the column names as keys in order, values as
// the engine gives them (null, number, or UTF-8 string).
#pragma once

#include <functional>
#include <ostream>
#include <string>

namespace zenta {
class Query;
}

namespace zenta::cli {

// A key added after a row's columns, its UTF-8 value computed from the row.
struct ExtraKey {
    std::string name;
    std::function<std::string(const Query&)> value;
};

// Walks the open query to its end, writing each row (with the extra key when it has a name).
void WriteRowsAsJsonLines(Query& query, std::ostream& out, const ExtraKey& extra = {});

}  // namespace zenta::cli
