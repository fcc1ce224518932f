// Merging another archive into the main one: every row of the five tables appended to the
// table of the same name. Columns are matched by name when every column name of the source
// table is one of the main table's (ASCII case-blind; a column the source lacks takes its
// default or Null), otherwise by position. A row the main archive refuses is dropped and the
// merge goes on, so an archive can be merged any number of times. A source table that is
// not a real table (a view, a virtual table) is refused with the reason in its line.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "base/progress.h"

namespace zenta {

class Connection;

// What became of one table's rows; added + alreadyPresent + notCopied == sourceRows.
struct TableCopy {
    std::string table;
    std::int64_t sourceRows = 0;  // 0 when the source has no such table
    std::int64_t added = 0;
    std::int64_t alreadyPresent = 0;  // refused: the main archive holds the key already
    std::int64_t notCopied = 0;       // refused for another reason, or never reached
    std::string problem;              // why the table was skipped or its copy ended early
    bool byPosition = false;          // the names differ, so the columns went in by position
    bool cancelled = false;           // the cancel flag stopped this table's copy (or kept it from starting)
};

struct MergeOptions {
    // Rows are committed in batches of this many source rows: a merge that is stopped part
    // way leaves whole batches behind, and the main archive stays consistent.
    std::int64_t batchRows = 20000;
    Progress progress;  // rows done of the rows in the source, as the copy goes on
    // When set (by another thread, or a signal handler), the copy stops after the batch in
    // hand is committed; the tables not yet begun are listed as cancelled.
    const std::atomic<bool>* cancel = nullptr;
};

// Appends every row of `sourceTable` to `destinationTable` (both names trimmed). A table
// missing on either side is skipped. A row refused for a duplicate key or a missing
// required value (a Null key included) is dropped; any other error ends the table's copy,
// and the rows committed before it stay. Raises nothing for what happens to the rows.
TableCopy CopyTableRows(Connection& destination, Connection& source, const std::string& destinationTable,
                        const std::string& sourceTable, const MergeOptions& options = {});

// Copies the five tables in their merge order; progress counts the rows of all five.
std::vector<TableCopy> MergeArchive(Connection& destination, Connection& source, const MergeOptions& options = {});

// Whether the cancel flag stopped the merge.
bool MergeWasCancelled(const std::vector<TableCopy>& copies);

// One line of the closing report, e.g. "FORUM_REPLY: 21 added, 3 already present, 0 not copied",
// with the problem, the cancellation or the copy by position in parentheses.
std::string DescribeTableCopy(const TableCopy& copy);

}  // namespace zenta
