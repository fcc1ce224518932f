#include "import/archive_merge.h"

#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <cmath>

#include "archive/connection.h"
#include "archive/content_index.h"
#include "archive/schema.h"
#include "archive/sqlite_handles.h"
#include "archive/topic_title_index.h"
#include "base/errors.h"
#include "base/trim.h"
#include "base/value.h"

namespace zenta {
namespace {

// How the destination column takes a number, by SQLite's affinity rules on its declared type.
enum class Affinity { Integer, Text, Other };

struct Column {
    std::string name;
    bool key = false;
    Affinity affinity = Affinity::Other;
};

Affinity AffinityOf(std::string type) {
    for (char& c : type) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (type.find("INT") != std::string::npos) return Affinity::Integer;
    if (type.find("CHAR") != std::string::npos || type.find("CLOB") != std::string::npos ||
        type.find("TEXT") != std::string::npos)
        return Affinity::Text;
    return Affinity::Other;
}

// Binds a source value as the board's data base converts it to the destination field's type:
// a floating number becomes the text the data base would write ("20021231143000", never
// "20021231143000.0") or a whole number rounded half to even.
void BindConverted(sqlite3_stmt* insert, int at, sqlite3_value* value, Affinity affinity) {
    if (sqlite3_value_type(value) == SQLITE_FLOAT) {
        double number = sqlite3_value_double(value);
        if (affinity == Affinity::Text) {
            std::string text = FormatJetNumber(number);
            sqlite3_bind_text(insert, at, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
            return;
        }
        if (affinity == Affinity::Integer && std::isfinite(number) && std::fabs(number) < 9.2e18) {
            sqlite3_bind_int64(insert, at, std::llrint(number));
            return;
        }
    }
    sqlite3_bind_value(insert, at, value);
}

// The destination's columns in their order; none when the table does not exist.
std::vector<Column> TableColumns(sqlite3* db, const std::string& table) {
    std::vector<Column> columns;
    Statement info = Statement::Try(db, "SELECT name, pk, type FROM pragma_table_info(?)");
    if (!info) return columns;
    sqlite3_bind_text(info.get(), 1, table.c_str(), -1, SQLITE_TRANSIENT);
    while (sqlite3_step(info.get()) == SQLITE_ROW)
        columns.push_back({reinterpret_cast<const char*>(sqlite3_column_text(info.get(), 0)),
                           sqlite3_column_int(info.get(), 1) > 0,
                           AffinityOf(reinterpret_cast<const char*>(sqlite3_column_text(info.get(), 2)))});
    return columns;
}

// The first column of the statement's first row as a number; `fallback` when it fails.
std::int64_t ScalarNumber(sqlite3* db, const std::string& sql, std::int64_t fallback) {
    Statement statement = Statement::Try(db, sql);
    return statement && sqlite3_step(statement.get()) == SQLITE_ROW ? sqlite3_column_int64(statement.get(), 0)
                                                                    : fallback;
}

// The source table's row count; 0 when it cannot be read.
std::int64_t CountRows(sqlite3* db, const std::string& table) {
    return ScalarNumber(db, "SELECT count(*) FROM " + QuotedIdentifier(table), 0);
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && sqlite3_strnicmp(a.data(), b.data(), static_cast<int>(a.size())) == 0;
}

// For each column of the source rows, the destination column of the same name (ASCII case
// blind); empty unless every source column has one.
std::vector<int> ColumnsByName(sqlite3_stmt* rows, const std::vector<Column>& columns) {
    std::vector<int> target;
    for (int i = 0; i < sqlite3_column_count(rows); ++i) {
        const char* name = sqlite3_column_name(rows, i);
        auto same = [&](const Column& column) { return name && EqualsIgnoringCase(column.name, name); };
        auto at = std::find_if(columns.begin(), columns.end(), same);
        if (at == columns.end()) return {};
        target.push_back(static_cast<int>(at - columns.begin()));
    }
    return target;
}

enum class RowOutcome { Added, AlreadyPresent, Refused, Failed };

RowOutcome ClassifyInsert(int rc) {
    switch (rc) {
        case SQLITE_DONE:
            return RowOutcome::Added;
        case SQLITE_CONSTRAINT_PRIMARYKEY:
        case SQLITE_CONSTRAINT_UNIQUE:
        case SQLITE_CONSTRAINT_ROWID:
            return RowOutcome::AlreadyPresent;
        case SQLITE_CONSTRAINT_NOTNULL:
        case SQLITE_CONSTRAINT_CHECK:
        case SQLITE_CONSTRAINT_FOREIGNKEY:
        case SQLITE_CONSTRAINT_TRIGGER:
            return RowOutcome::Refused;
        // A value the column cannot take, a full disk, a damaged file: the table's copy ends.
        default:
            return RowOutcome::Failed;
    }
}

// The rows of one table, appended in batches, each batch one transaction.
class RowCopier {
public:
    RowCopier(sqlite3* destination, TableCopy& copy) : db_(destination), copy_(copy) {}

    // Copies from the open source statement; source column i goes to columns[target[i]].
    void Run(sqlite3_stmt* rows, const std::vector<Column>& columns, const std::vector<int>& target,
             const MergeOptions& options) {
        std::string names;
        std::string marks;
        for (size_t i = 0; i < target.size(); ++i) {
            names += (i ? ", " : "") + QuotedIdentifier(columns[target[i]].name);
            marks += i ? ", ?" : "?";
        }
        // The source column of each key of the destination; a key the source lacks refuses every row.
        std::vector<int> keys;
        for (int k = 0; k < static_cast<int>(columns.size()); ++k) {
            if (!columns[k].key) continue;
            auto at = std::find(target.begin(), target.end(), k);
            keys.push_back(at == target.end() ? -1 : static_cast<int>(at - target.begin()));
        }
        std::string why;
        Statement insert = Statement::Try(
            db_, "INSERT INTO " + QuotedIdentifier(copy_.table) + " (" + names + ") VALUES (" + marks + ")", &why);
        if (!insert) return Fail(why);
        ContentIndexWriter contentIndex(db_, copy_.table);
        contentIndex_ = &contentIndex;
        if (EqualsIgnoringCase(copy_.table, "FORUM_TOPICS")) titleIndex_ = PrepareTitleIndexInsert(db_);
        const std::int64_t batchRows = std::max<std::int64_t>(1, options.batchRows);
        std::int64_t done = 0;
        while (Begin()) {
            int rc = SQLITE_ROW;
            for (std::int64_t inBatch = 0; inBatch < batchRows; ++inBatch) {
                rc = sqlite3_step(rows);
                if (rc != SQLITE_ROW) break;
                if (!CopyRow(rows, insert.get(), columns, target, keys)) break;
                ++done;
            }
            if (!Commit() || rc != SQLITE_ROW || !copy_.problem.empty()) {
                if (rc != SQLITE_ROW && rc != SQLITE_DONE) Fail(EngineMessage(sqlite3_db_handle(rows), rc));
                break;
            }
            if (options.progress) options.progress(done, copy_.sourceRows);
            if (options.cancel && options.cancel->load()) {
                copy_.cancelled = true;
                break;
            }
        }
    }

private:
    // False when the row's error ends the table's copy.
    bool CopyRow(sqlite3_stmt* rows, sqlite3_stmt* insert, const std::vector<Column>& columns,
                 const std::vector<int>& target, const std::vector<int>& keys) {
        // The board's data base refuses a row without its key; SQLite would make one up.
        for (int key : keys) {
            if (key < 0 || sqlite3_column_type(rows, key) == SQLITE_NULL) return true;
        }
        for (size_t i = 0; i < target.size(); ++i) {
            const int at = static_cast<int>(i);
            BindConverted(insert, at + 1, sqlite3_column_value(rows, at), columns[target[i]].affinity);
        }
        int rc = sqlite3_step(insert);
        int extended = sqlite3_extended_errcode(db_);
        sqlite3_reset(insert);
        switch (ClassifyInsert(rc == SQLITE_DONE ? rc : extended)) {
            case RowOutcome::Added:
                ++pending_;
                return IndexAddedRow();
            case RowOutcome::AlreadyPresent:
                ++copy_.alreadyPresent;
                return true;
            case RowOutcome::Refused:
                return true;
            case RowOutcome::Failed:
                Fail(EngineMessage(db_, extended));
                return false;
        }
        return false;
    }

    // A row added goes into the content index and, a topic, into the title index, in the batch's
    // transaction: the row and its index entries are one, so the batch is dropped if indexing fails.
    bool IndexAddedRow() {
        const std::int64_t rowid = sqlite3_last_insert_rowid(db_);
        try {
            contentIndex_->Add(rowid);
            if (titleIndex_) titleIndex_.BindInteger(1, rowid).Run();
            return true;
        } catch (const std::exception& e) {
            Fail(e.what());
            sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
            pending_ = 0;
            return false;
        }
    }

    bool Begin() {
        if (sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK) return true;
        Fail(sqlite3_errmsg(db_));
        return false;
    }

    // Keeps the batch's rows; an engine that rolled the batch back already loses them.
    bool Commit() {
        if (sqlite3_get_autocommit(db_)) {
            Fail("the engine rolled the last batch back");
            pending_ = 0;
            return false;
        }
        if (sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
            Fail(sqlite3_errmsg(db_));
            sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
            pending_ = 0;
            return false;
        }
        copy_.added += pending_;
        pending_ = 0;
        return true;
    }

    void Fail(const std::string& message) {
        if (copy_.problem.empty()) copy_.problem = message;
    }

    sqlite3* db_;
    TableCopy& copy_;
    ContentIndexWriter* contentIndex_ = nullptr;  // of the current Run
    Statement titleIndex_;
    std::int64_t pending_ = 0;
};

// The key and index pages of a big table are visited in key order, not file order: a larger
// page cache for the copy saves most of the reads and writes.
void CopyWithLargeCache(sqlite3* out, TableCopy& copy, sqlite3_stmt* rows, const std::vector<Column>& columns,
                        const std::vector<int>& target, const MergeOptions& options) {
    const std::int64_t cacheSize = ScalarNumber(out, "PRAGMA cache_size", -2000);
    sqlite3_exec(out, "PRAGMA cache_size = -65536", nullptr, nullptr, nullptr);
    RowCopier(out, copy).Run(rows, columns, target, options);
    sqlite3_exec(out, ("PRAGMA cache_size = " + std::to_string(cacheSize)).c_str(), nullptr, nullptr, nullptr);
}

}  // namespace

TableCopy CopyTableRows(Connection& destination, Connection& source, const std::string& destinationTable,
                        const std::string& sourceTable, const MergeOptions& options) {
    TableCopy copy;
    copy.table = Trim(destinationTable);
    const std::string from = Trim(sourceTable);
    sqlite3* out = destination.handle();
    sqlite3* in = source.handle();
    // A view or a virtual table under the name is code, not rows: it is never run.
    copy.problem = TableRefusal(in, from);
    if (copy.problem.empty()) copy.problem = TableRefusal(out, copy.table);
    if (!copy.problem.empty()) return copy;
    std::vector<Column> columns = TableColumns(out, copy.table);
    Statement rows = Statement::Try(in, "SELECT * FROM " + QuotedIdentifier(from));
    copy.sourceRows = rows ? CountRows(in, from) : 0;
    int width = rows ? sqlite3_column_count(rows.get()) : 0;
    if (options.cancel && options.cancel->load()) {
        copy.cancelled = true;
    } else if (columns.empty()) {
        copy.problem = "the main archive has no such table";
    } else if (!rows) {
        copy.problem = "the source archive has no such table";
    } else if (std::vector<int> target = ColumnsByName(rows.get(), columns); !target.empty()) {
        CopyWithLargeCache(out, copy, rows.get(), columns, target, options);
    } else if (width > static_cast<int>(columns.size())) {
        // Its first row already fails, so the table contributes nothing.
        if (copy.sourceRows > 0)
            copy.problem = "the source table has " + std::to_string(width) + " columns, the main archive's " +
                           std::to_string(columns.size());
    } else {
        copy.byPosition = true;
        for (int i = 0; i < width; ++i) target.push_back(i);
        CopyWithLargeCache(out, copy, rows.get(), columns, target, options);
    }
    copy.notCopied = std::max<std::int64_t>(0, copy.sourceRows - copy.added - copy.alreadyPresent);
    if (options.progress) options.progress(copy.sourceRows, copy.sourceRows);
    return copy;
}

std::vector<TableCopy> MergeArchive(Connection& destination, Connection& source, const MergeOptions& options) {
    std::int64_t total = 0;
    for (const char* table : kArchiveTables) {
        if (TableRefusal(source.handle(), table).empty()) total += CountRows(source.handle(), table);
    }
    std::int64_t before = 0;
    MergeOptions perTable = options;
    if (options.progress)
        perTable.progress = [&](std::int64_t done, std::int64_t) {
            options.progress(std::min(total, before + done), total);
        };
    std::vector<TableCopy> copies;
    for (const char* table : kArchiveTables) {
        copies.push_back(CopyTableRows(destination, source, table, table, perTable));
        before += copies.back().sourceRows;
    }
    return copies;
}

bool MergeWasCancelled(const std::vector<TableCopy>& copies) {
    return std::any_of(copies.begin(), copies.end(), [](const TableCopy& copy) { return copy.cancelled; });
}

std::string DescribeTableCopy(const TableCopy& copy) {
    std::string line = copy.table + ": " + std::to_string(copy.added) + " added, " +
                       std::to_string(copy.alreadyPresent) + " already present, " + std::to_string(copy.notCopied) +
                       " not copied";
    std::vector<std::string> notes;
    if (!copy.problem.empty()) notes.push_back(copy.problem);
    if (copy.cancelled) notes.push_back("cancelled");
    if (copy.byPosition) notes.push_back("copied by position: the column names differ from the main archive's");
    for (size_t i = 0; i < notes.size(); ++i) line += (i ? "; " : " (") + notes[i];
    return notes.empty() ? line : line + ")";
}

}  // namespace zenta
