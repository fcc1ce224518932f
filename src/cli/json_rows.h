// Result rows as JSON Lines: one object a row, the column names as keys in order, values as
// the engine gives them (null, number, or UTF-8 string).
#pragma once

#include <ostream>

namespace zenta {
class Query;
}

namespace zenta::cli {

// Walks the open query to its end, writing each row.
void WriteRowsAsJsonLines(Query& query, std::ostream& out);

}  // namespace zenta::cli
