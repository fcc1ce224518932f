#include "import/archive_merge.h"

#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <cmath>

#include "archive/connection.h"
#include "archive/content_index.h"
#include "archive/schema.h"
#include "archive/sqlite_handles.h"
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

    // Copies from the open source statement; the first `width` columns go to `columns`.
    void Run(sqlite3_stmt* rows, const std::vector<Column>& columns, int width, const MergeOptions& options) {
        std::string names;
        std::string marks;
        std::vector<int> keys;
        for (int i = 0; i < static_cast<int>(columns.size()); ++i) {
            if (i < width) {
                names += (i ? ", " : "") + QuotedIdentifier(columns[i].name);
                marks += i ? ", ?" : "?";
            }
            if (columns[i].key) keys.push_back(i);
        }
        std::string why;
        Statement insert = Statement::Try(
            db_, "INSERT INTO " + QuotedIdentifier(copy_.table) + " (" + names + ") VALUES (" + marks + ")", &why);
        if (!insert) return Fail(why);
        ContentIndexWriter contentIndex(db_, copy_.table);
        contentIndex_ = &contentIndex;
        const std::int64_t batchRows = std::max<std::int64_t>(1, options.batchRows);
        std::int64_t done = 0;
        while (Begin()) {
            int rc = SQLITE_ROW;
            for (std::int64_t inBatch = 0; inBatch < batchRows; ++inBatch) {
                rc = sqlite3_step(rows);
                if (rc != SQLITE_ROW) break;
                if (!CopyRow(rows, insert.get(), columns, width, keys)) break;
                ++done;
            }
            if (!Commit() || rc != SQLITE_ROW || !copy_.problem.empty()) {
                if (rc != SQLITE_ROW && rc != SQLITE_DONE) Fail(sqlite3_errmsg(sqlite3_db_handle(rows)));
                break;
            }
            if (options.progress) options.progress(done, copy_.sourceRows);
        }
    }

private:
    // False when the row's error ends the table's copy.
    bool CopyRow(sqlite3_stmt* rows, sqlite3_stmt* insert, const std::vector<Column>& columns, int width,
                 const std::vector<int>& keys) {
        // The board's data base refuses a row without its key; SQLite would make one up.
        for (int key : keys) {
            if (key >= width || sqlite3_column_type(rows, key) == SQLITE_NULL) return true;
        }
        for (int i = 0; i < width; ++i)
            BindConverted(insert, i + 1, sqlite3_column_value(rows, i), columns[i].affinity);
        int rc = sqlite3_step(insert);
        int extended = sqlite3_extended_errcode(db_);
        sqlite3_reset(insert);
        switch (ClassifyInsert(rc == SQLITE_DONE ? rc : extended)) {
            case RowOutcome::Added:
                // The row and its index entries are one: the batch is dropped if indexing fails.
                try {
                    contentIndex_->Add(sqlite3_last_insert_rowid(db_));
                } catch (const std::exception& e) {
                    Fail(e.what());
                    sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
                    pending_ = 0;
                    return false;
                }
                ++pending_;
                return true;
            case RowOutcome::AlreadyPresent:
                ++copy_.alreadyPresent;
                return true;
            case RowOutcome::Refused:
                return true;
            case RowOutcome::Failed:
                Fail(sqlite3_errmsg(db_));
                return false;
        }
        return false;
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
    std::int64_t pending_ = 0;
};

}  // namespace

TableCopy CopyTableRows(Connection& destination, Connection& source, const std::string& destinationTable,
                        const std::string& sourceTable, const MergeOptions& options) {
    TableCopy copy;
    copy.table = Trim(destinationTable);
    const std::string from = Trim(sourceTable);
    sqlite3* out = destination.handle();
    sqlite3* in = source.handle();
    std::vector<Column> columns = TableColumns(out, copy.table);
    Statement rows = Statement::Try(in, "SELECT * FROM " + QuotedIdentifier(from));
    copy.sourceRows = rows ? CountRows(in, from) : 0;
    int width = rows ? sqlite3_column_count(rows.get()) : 0;
    if (columns.empty()) {
        copy.problem = "the main archive has no such table";
    } else if (!rows) {
        copy.problem = "the source archive has no such table";
    } else if (width > static_cast<int>(columns.size())) {
        // Its first row already fails, so the table contributes nothing.
        if (copy.sourceRows > 0)
            copy.problem = "the source table has " + std::to_string(width) + " columns, the main archive's " +
                           std::to_string(columns.size());
    } else {
        // The key and index pages of a big table are visited in key order, not file order: a
        // larger page cache for the copy saves most of the reads and writes.
        const std::int64_t cacheSize = ScalarNumber(out, "PRAGMA cache_size", -2000);
        sqlite3_exec(out, "PRAGMA cache_size = -65536", nullptr, nullptr, nullptr);
        RowCopier(out, copy).Run(rows.get(), columns, width, options);
        sqlite3_exec(out, ("PRAGMA cache_size = " + std::to_string(cacheSize)).c_str(), nullptr, nullptr, nullptr);
    }
    copy.notCopied = std::max<std::int64_t>(0, copy.sourceRows - copy.added - copy.alreadyPresent);
    if (options.progress) options.progress(copy.sourceRows, copy.sourceRows);
    return copy;
}

std::vector<TableCopy> MergeArchive(Connection& destination, Connection& source, const MergeOptions& options) {
    std::int64_t total = 0;
    for (const char* table : kArchiveTables) total += CountRows(source.handle(), table);
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

std::string DescribeTableCopy(const TableCopy& copy) {
    std::string line = copy.table + ": " + std::to_string(copy.added) + " added, " +
                       std::to_string(copy.alreadyPresent) + " already present, " + std::to_string(copy.notCopied) +
                       " not copied";
    if (!copy.problem.empty()) line += " (" + copy.problem + ")";
    return line;
}

}  // namespace zenta
