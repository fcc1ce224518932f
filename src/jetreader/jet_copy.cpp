#include "jetreader/jet_copy.h"

#include <sqlite3.h>
#include <strings.h>

#include <charconv>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "archive/schema.h"
#include "archive/sqlite_handles.h"
#include "base/errors.h"
#include "jetreader/jet_date.h"
#include "jetreader/jet_text.h"

namespace zenta::jet {
namespace {

// Progress is reported after this many rows.
constexpr int64_t kProgressStep = 2048;

struct TableDefDeleter {
    void operator()(MdbTableDef* table) const { mdb_free_tabledef(table); }
};
using TableDef = std::unique_ptr<MdbTableDef, TableDefDeleter>;

uint32_t Le32(const unsigned char* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
uint64_t Le64(const unsigned char* p) { return Le32(p) | (static_cast<uint64_t>(Le32(p + 4)) << 32); }

bool IsArchiveTable(const char* name) {
    for (const char* wanted : kArchiveTables)
        if (strcasecmp(name, wanted) == 0) return true;
    return false;
}

// The engine's column type for a Jet column type. Date/time values become 14-digit texts
// yyyymmddhhnnss, so that they read as the board's date code; currency and decimal become
// floating numbers; binary and OLE values stay bytes.
const char* NativeType(int type) {
    switch (type) {
        case MDB_BOOL:
        case MDB_BYTE:
        case MDB_INT:
        case MDB_LONGINT:
        case MDB_COMPLEX:
            return "INTEGER";
        case MDB_MONEY:
        case MDB_FLOAT:
        case MDB_DOUBLE:
        case MDB_NUMERIC:
            return "REAL";
        case MDB_TEXT:
        case MDB_MEMO:
            return "TEXT COLLATE NOCASE";
        case MDB_DATETIME:
        case MDB_REPID:
            return "TEXT";
        default:
            return "BLOB";
    }
}

MdbColumn* ColumnAt(MdbTableDef* table, unsigned i) {
    return static_cast<MdbColumn*>(g_ptr_array_index(table->columns, i));
}

// "CREATE TABLE" for the Jet table: its columns in order, its primary key and unique indexes.
std::string CreateStatement(MdbTableDef* table) {
    std::string sql = "CREATE TABLE " + QuotedIdentifier(table->name) + " (";
    for (unsigned i = 0; i < table->num_cols; ++i) {
        MdbColumn* col = ColumnAt(table, i);
        sql += (i ? ", " : "") + QuotedIdentifier(col->name) + " " + NativeType(col->col_type);
    }
    bool hasPrimaryKey = false;
    for (unsigned i = 0; table->indices && i < table->indices->len; ++i) {
        auto* index = static_cast<MdbIndex*>(g_ptr_array_index(table->indices, i));
        bool primary = index->index_type == 1;
        if (index->index_type == 2 || index->num_keys == 0 || (!primary && !(index->flags & MDB_IDX_UNIQUE))) continue;
        if (primary && hasPrimaryKey) throw ReadError(std::string("table ") + table->name + " has two primary keys");
        hasPrimaryKey = hasPrimaryKey || primary;
        std::string keys;
        for (unsigned k = 0; k < index->num_keys && k < MDB_MAX_IDX_COLS; ++k) {
            int column = index->key_col_num[k] - 1;
            if (column < 0 || static_cast<unsigned>(column) >= table->num_cols)
                throw ReadError(std::string("index ") + index->name + " of table " + table->name + " names no column");
            keys += (k ? ", " : "") + QuotedIdentifier(ColumnAt(table, column)->name);
        }
        sql += std::string(primary ? ", PRIMARY KEY (" : ", UNIQUE (") + keys + ")";
    }
    return sql + ") STRICT";
}

std::string GuidText(const unsigned char* p) {
    char text[40];
    std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", Le32(p), p[4] | (p[5] << 8),
                  p[6] | (p[7] << 8), p[8], p[9], p[10], p[11], p[12], p[13], p[14], p[15]);
    return text;
}

// Reads one table row by row and binds each value to the insert statement.
class TableCopier {
public:
    TableCopier(MdbHandle* mdb, MdbTableDef* table, sqlite3* dest) : mdb_(mdb), table_(table), dest_(dest) {}

    // Copies every row; returns how many, calling `rowDone` after each.
    template <typename RowDone>
    int64_t Copy(RowDone&& rowDone) {
        Statement insert = PrepareInsert();
        const int rowCountOffset = mdb_->fmt->row_count_offset;
        int64_t copied = 0;
        mdb_rewind_table(table_);
        while (mdb_read_next_dpg(table_)) {
            int rows = mdb_get_int16(mdb_->pg_buf, rowCountOffset);
            for (int row = 0; row < rows; ++row) {
                int start = 0;
                size_t size = 0;
                if (mdb_find_row(mdb_, row, &start, &size) != 0) throw Damaged("a row lies outside its page");
                // Flags as Access writes them (libmdb reads the two the other way round):
                // 0x8000 a deleted row, or the body of a moved row, reached through its pointer;
                // 0x4000 a moved row's pointer.
                if (start & kDeletedRow) continue;
                if (start & kMovedRow)
                    CopyMovedRow(start & kOffsetMask, size, insert.get());
                else
                    CopyRow(start & kOffsetMask, size, insert.get());
                ++copied;
                rowDone();
            }
        }
        if (copied != static_cast<int64_t>(table_->num_rows))
            throw Damaged(std::to_string(copied) + " rows could be read of the " + std::to_string(table_->num_rows) +
                          " it holds");
        return copied;
    }

private:
    static constexpr int kDeletedRow = 0x8000;
    static constexpr int kMovedRow = 0x4000;
    static constexpr int kOffsetMask = 0x1FFF;

    void CopyRow(int start, size_t size, sqlite3_stmt* insert) {
        // A row may count fewer columns than the table (added later: Null) or more
        // (deleted since); the values are checked one by one below.
        if (mdb_crack_row(table_, start, size, fields_) < 1) throw Damaged("a row cannot be taken apart");
        for (unsigned i = 0; i < table_->num_cols; ++i) BindField(insert, i);
        if (sqlite3_step(insert) != SQLITE_DONE)
            throw DatabaseError(std::string("table ") + table_->name + ": " + sqlite3_errmsg(dest_));
        sqlite3_reset(insert);
    }

    // A row that grew too big for its page lives on another one; its old place holds the
    // row number and the page number (three bytes) of the new.
    void CopyMovedRow(int start, size_t size, sqlite3_stmt* insert) {
        const unsigned long pageHere = table_->cur_phys_pg;
        const ssize_t pageSize = mdb_->fmt->pg_size;
        for (int hops = 0;; ++hops) {
            const unsigned char* pointer = mdb_->pg_buf + start;
            if (size < 4 || hops > 8) throw Damaged("a moved row cannot be found");
            const int row = pointer[0];
            const unsigned long page = pointer[1] | (pointer[2] << 8) | (static_cast<unsigned long>(pointer[3]) << 16);
            if (mdb_read_pg(mdb_, page) != pageSize || mdb_find_row(mdb_, row, &start, &size) != 0)
                throw Damaged("a moved row cannot be found");
            bool anotherPointer = (start & kMovedRow) && !(start & kDeletedRow);
            start &= kOffsetMask;
            if (!anotherPointer) break;
        }
        CopyRow(start, size, insert);
        if (mdb_read_pg(mdb_, pageHere) != pageSize) throw Damaged("a page cannot be read again");
    }

    ReadError Damaged(const std::string& what) const {
        return ReadError(std::string("table ") + table_->name + ": " + what);
    }

    Statement PrepareInsert() {
        std::string sql = "INSERT INTO " + QuotedIdentifier(table_->name) + " VALUES (";
        for (unsigned i = 0; i < table_->num_cols; ++i) sql += i ? ", ?" : "?";
        sql += ")";
        return Statement(dest_, sql);
    }

    // The bytes of a field, checked to lie inside the current page.
    std::string_view Bytes(const MdbField& field) const {
        if (field.siz < 0 || field.start < 0 || field.start + field.siz > mdb_->fmt->pg_size)
            throw Damaged("a value lies outside its page");
        return {reinterpret_cast<const char*>(mdb_->pg_buf) + field.start, static_cast<size_t>(field.siz)};
    }

    const unsigned char* Fixed(const MdbField& field, int size) const {
        std::string_view bytes = Bytes(field);
        if (bytes.size() < static_cast<size_t>(size)) throw Damaged("a number is cut short");
        return reinterpret_cast<const unsigned char*>(bytes.data());
    }

    std::string Text(std::string_view bytes) const {
        return IS_JET3(mdb_) ? Jet3TextToUtf8(bytes) : Jet4TextToUtf8(bytes);
    }

    // A memo or OLE value: inline in the row, on one page, or on a chain of pages; read
    // whole, never longer than its header says, and never round a looping chain.
    std::string LongValue(const MdbField& field) const {
        std::string_view header = Bytes(field);
        if (header.size() < MDB_MEMO_OVERHEAD) throw Damaged("a memo value is cut short");
        auto* h = reinterpret_cast<const unsigned char*>(header.data());
        uint32_t word = Le32(h);
        size_t length = word & 0x3FFFFFFF;
        if (word & 0x80000000) {
            if (header.size() - MDB_MEMO_OVERHEAD < length) throw Damaged("an inline memo value is cut short");
            return std::string(header.substr(MDB_MEMO_OVERHEAD, length));
        }
        std::string value;
        std::unordered_set<uint32_t> visited;
        bool chain = !(word & 0x40000000);
        for (uint32_t pgRow = Le32(h + 4); pgRow != 0;) {
            if (!visited.insert(pgRow).second) throw Damaged("a memo value's pages run in a circle");
            void* page = nullptr;
            int start = 0;
            size_t size = 0;
            if (mdb_find_pg_row(mdb_, static_cast<int>(pgRow), &page, &start, &size) != 0 || start < 0 ||
                static_cast<size_t>(start) + size > static_cast<size_t>(mdb_->fmt->pg_size) || (chain && size < 4))
                throw Damaged("a memo value's page cannot be read");
            auto* bytes = static_cast<const unsigned char*>(page) + start;
            size_t skip = chain ? 4 : 0;
            value.append(reinterpret_cast<const char*>(bytes) + skip, size - skip);
            if (value.size() > length + static_cast<size_t>(mdb_->fmt->pg_size))
                throw Damaged("a memo value is longer than it says");
            pgRow = chain ? Le32(bytes) : 0;
        }
        if (value.size() < length) throw Damaged("a memo value is shorter than it says");
        value.resize(length);
        return value;
    }

    void BindText(sqlite3_stmt* st, int index, const std::string& text) const {
        sqlite3_bind_text64(st, index, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
    }

    void BindField(sqlite3_stmt* st, unsigned i) {
        const MdbField& field = fields_[i];
        MdbColumn* col = ColumnAt(table_, i);
        int index = static_cast<int>(i) + 1;
        // A Yes/No value lives in the row's null mask: a set bit is Yes.
        if (col->col_type == MDB_BOOL) {
            sqlite3_bind_int(st, index, field.is_null ? 0 : 1);
            return;
        }
        if (field.is_null) {
            sqlite3_bind_null(st, index);
            return;
        }
        switch (col->col_type) {
            case MDB_BYTE:
                sqlite3_bind_int(st, index, *Fixed(field, 1));
                break;
            case MDB_INT: {
                const unsigned char* p = Fixed(field, 2);
                sqlite3_bind_int(st, index, static_cast<int16_t>(p[0] | (p[1] << 8)));
                break;
            }
            case MDB_LONGINT:
            case MDB_COMPLEX:
                sqlite3_bind_int64(st, index, static_cast<int32_t>(Le32(Fixed(field, 4))));
                break;
            case MDB_MONEY:
                sqlite3_bind_double(st, index,
                                    static_cast<double>(static_cast<int64_t>(Le64(Fixed(field, 8)))) / 10000.0);
                break;
            case MDB_FLOAT: {
                uint32_t bits = Le32(Fixed(field, 4));
                float f;
                std::memcpy(&f, &bits, sizeof f);
                sqlite3_bind_double(st, index, f);
                break;
            }
            case MDB_DOUBLE:
            case MDB_DATETIME: {
                uint64_t bits = Le64(Fixed(field, 8));
                double d;
                std::memcpy(&d, &bits, sizeof d);
                if (col->col_type == MDB_DATETIME) {
                    std::string code = JetDateCode(d);
                    if (code.empty()) throw Damaged("a date/time value is out of range");
                    BindText(st, index, code);
                } else
                    sqlite3_bind_double(st, index, d);
                break;
            }
            case MDB_NUMERIC:
                BindNumeric(st, index, field, col);
                break;
            case MDB_REPID:
                BindText(st, index, GuidText(Fixed(field, 16)));
                break;
            case MDB_TEXT:
                BindText(st, index, Text(Bytes(field)));
                break;
            case MDB_MEMO:
                BindText(st, index, Text(LongValue(field)));
                break;
            case MDB_OLE: {
                std::string bytes = LongValue(field);
                sqlite3_bind_blob64(st, index, bytes.data(), bytes.size(), SQLITE_TRANSIENT);
                break;
            }
            default: {
                std::string_view bytes = Bytes(field);
                sqlite3_bind_blob64(st, index, bytes.data(), bytes.size(), SQLITE_TRANSIENT);
            }
        }
    }

    void BindNumeric(sqlite3_stmt* st, int index, const MdbField& field, MdbColumn* col) const {
        Fixed(field, 17);
        char* text = mdb_numeric_to_string(mdb_, field.start, col->col_scale, col->col_prec);
        std::string digits = text ? text : "";
        g_free(text);
        double value = 0;
        auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
        if (ec != std::errc() || end != digits.data() + digits.size()) throw Damaged("a decimal value cannot be read");
        sqlite3_bind_double(st, index, value);
    }

    MdbHandle* mdb_;
    MdbTableDef* table_;
    sqlite3* dest_;
    MdbField fields_[MDB_MAX_COLS] = {};
};

// Opens every table of the five that the file holds, with its columns and indexes.
std::vector<TableDef> OpenArchiveTables(MdbHandle* mdb) {
    if (!mdb_read_catalog(mdb, MDB_TABLE)) throw ReadError("its catalog cannot be read");
    std::vector<TableDef> tables;
    for (unsigned i = 0; i < mdb->num_catalog; ++i) {
        auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb->catalog, i));
        if (entry->object_type != MDB_TABLE || !IsArchiveTable(entry->object_name)) continue;
        TableDef table(mdb_read_table(entry));
        if (!table) throw ReadError(std::string("the definition of table ") + entry->object_name + " cannot be read");
        if (table->num_cols == 0 || table->num_cols > MDB_MAX_COLS || !mdb_read_columns(table.get()) ||
            table->columns->len != table->num_cols)
            throw ReadError(std::string("the columns of table ") + entry->object_name + " cannot be read");
        mdb_read_indices(table.get());
        tables.push_back(std::move(table));
    }
    if (tables.empty()) throw ReadError("it holds none of the board's tables");
    return tables;
}

}  // namespace

void CopyJetTables(MdbHandle* mdb, sqlite3* dest, const Progress& progress) {
    std::vector<TableDef> tables = OpenArchiveTables(mdb);
    int64_t total = 0;
    for (const TableDef& table : tables) total += table->num_rows;
    ExecuteStatements(dest, "BEGIN");
    for (const TableDef& table : tables) ExecuteStatements(dest, CreateStatement(table.get()));
    int64_t copied = 0;
    if (progress) progress(0, total);
    for (const TableDef& table : tables) {
        TableCopier(mdb, table.get(), dest).Copy([&] {
            if (++copied % kProgressStep == 0 && progress) progress(copied, total);
        });
    }
    CreateArchiveIndexes(dest);
    ExecuteStatements(dest, "COMMIT");
    if (progress) progress(copied, total);
}

}  // namespace zenta::jet
