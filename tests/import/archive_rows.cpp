#include "archive_rows.h"

#include "archive/connection.h"
#include "archive/query.h"
#include "base/codepage.h"

namespace zenta::test {

std::vector<std::string> Rows(Connection& connection, const std::string& sql) {
    Query q(&connection);
    q.SQL().Add(sql);
    q.Open();
    std::vector<std::string> rows;
    for (; !q.Eof(); q.Next()) {
        std::string row;
        for (int i = 0; i < q.FieldCount(); ++i) {
            Value v = q.Fields(i);
            row += (i ? "|" : "") + (v.IsNull() ? std::string("<null>") : FromNarrow(v.AsString()));
        }
        rows.push_back(row);
    }
    return rows;
}

std::int64_t Count(Connection& connection, const std::string& table) {
    return std::stoll(Rows(connection, "select count(*) from " + table).at(0));
}

}  // namespace zenta::test
