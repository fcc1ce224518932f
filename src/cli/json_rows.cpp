#include "cli/json_rows.h"

#include <nlohmann/json.hpp>

#include "archive/query.h"
#include "base/codepage.h"

namespace zenta::cli {

void WriteRowsAsJsonLines(Query& query, std::ostream& out, const ExtraKey& extra) {
    for (; !query.Eof(); query.Next()) {
        nlohmann::ordered_json row = nlohmann::ordered_json::object();
        for (int i = 0; i < query.FieldCount(); ++i) {
            Value v = query.Fields(i);
            auto& cell = row[query.FieldName(i)];
            switch (v.kind()) {
                case Value::Kind::Null:
                    cell = nullptr;
                    break;
                case Value::Kind::Integer:
                    cell = v.integer();
                    break;
                case Value::Kind::Real:
                    cell = v.real();
                    break;
                case Value::Kind::Text:
                    cell = FromNarrow(v.text());
                    break;
            }
        }
        if (!extra.name.empty()) row[extra.name] = extra.value(query);
        out << row.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << "\n";
    }
}

}  // namespace zenta::cli
