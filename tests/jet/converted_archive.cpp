#include "converted_archive.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdio>

#include "support/test_archive.h"

namespace zenta::test {
namespace {

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t end; (end = text.find(separator, start)) != std::string::npos; start = end + 1)
        parts.push_back(text.substr(start, end - start));
    parts.push_back(text.substr(start));
    return parts;
}

}  // namespace

std::vector<Row> QueryRows(const std::string& path, const std::string& sql) {
    sqlite3* db = nullptr;
    std::vector<Row> rows;
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK ||
        sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
        ADD_FAILURE() << sqlite3_errmsg(db) << "\n" << sql;
    } else {
        while (sqlite3_step(statement) == SQLITE_ROW) {
            Row row;
            for (int i = 0; i < sqlite3_column_count(statement); ++i) {
                if (sqlite3_column_type(statement, i) == SQLITE_NULL) {
                    row.push_back(std::nullopt);
                } else {
                    auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, i));
                    row.push_back(std::string(text, static_cast<size_t>(sqlite3_column_bytes(statement, i))));
                }
            }
            rows.push_back(std::move(row));
        }
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return rows;
}

std::vector<std::string> ColumnsOf(const std::string& path, const std::string& table) {
    std::vector<std::string> columns;
    for (const Row& row : QueryRows(path, "SELECT name, type FROM pragma_table_info('" + table + "') ORDER BY cid"))
        columns.push_back(*row[0] + " " + *row[1]);
    return columns;
}

int ExecuteOn(const std::string& path, const std::string& sql) {
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    if (rc == SQLITE_OK) rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return rc;
}

std::optional<std::vector<std::vector<std::string>>> ExportedRows(const std::string& jet_file,
                                                                  const std::string& table) {
    if (std::system("command -v mdb-export >/dev/null 2>&1") != 0) return std::nullopt;
    TempDir dir;
    std::string out = dir.File("export");
    std::string command = "mdb-export -H -Q -d \"$(printf '\\037')\" -R \"$(printf '\\036')\" '" + jet_file + "' " +
                          table + " >'" + out + "' 2>/dev/null";
    if (std::system(command.c_str()) != 0) return std::nullopt;
    std::vector<std::vector<std::string>> rows;
    std::string text = ReadFile(out);
    if (!text.empty() && text.back() == '\x1e') text.pop_back();
    if (text.empty()) return rows;
    for (const std::string& line : Split(text, '\x1e')) rows.push_back(Split(line, '\x1f'));
    return rows;
}

}  // namespace zenta::test
