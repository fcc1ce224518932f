// Test helpers for converted Jet fixtures: the rows of a converted archive read straight
// from its file, and the rows that mdb-export prints for the Jet file.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace zenta::test {

// One value as text (Null as nullopt); numbers in the engine's own text form.
using Row = std::vector<std::optional<std::string>>;

// Runs a query on an archive file and returns every row.
std::vector<Row> QueryRows(const std::string& path, const std::string& sql);

// The engine's type name of each column of a table, in order, as "name type".
std::vector<std::string> ColumnsOf(const std::string& path, const std::string& table);

// Runs sql on the archive and returns the engine's result code (SQLITE_OK, SQLITE_CONSTRAINT...).
int ExecuteOn(const std::string& path, const std::string& sql);

// mdb-export's rows of a Jet table (texts unquoted; Null and '' both empty), or nothing
// when mdb-export is not installed.
std::optional<std::vector<std::vector<std::string>>> ExportedRows(const std::string& jet_file,
                                                                  const std::string& table);

}  // namespace zenta::test
