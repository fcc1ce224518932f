#include "archive/content_index.h"

#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <climits>
#include <functional>
#include <string_view>
#include <vector>

#include "archive/content_fts.h"
#include "archive/schema.h"
#include "archive/sqlite_handles.h"
#include "base/errors.h"

namespace zenta {
namespace {

// One indexed table: its key, the columns indexed, the index table and its row in the state.
struct IndexedTable {
    const char* name;
    const char* key;
    const char* columns;
    const char* index;
};

constexpr std::array<IndexedTable, 2> kIndexedTables = {{
    {"FORUM_TOPICS", "TOPIC_ID", "t_subject, t_message", "topic_words"},
    {"FORUM_REPLY", "REPLY_ID", "R_MESSAGE", "reply_words"},
}};

std::int64_t Scalar(sqlite3* db, const std::string& sql) {
    Statement statement(db, sql);
    return statement.Step() ? statement.Integer(0) : 0;
}

// How far one table is indexed: every key up to `indexedTo`, or all keys when complete.
struct TableState {
    std::int64_t indexedTo = INT64_MIN;
    bool complete = false;
};

TableState ReadState(sqlite3* db, const IndexedTable& table) {
    Statement read(db, "SELECT indexed_to, complete FROM content_index_state WHERE source = ?");
    read.BindText(1, table.name);
    TableState state;
    if (read.Step()) state = {read.Integer(0), read.Integer(1) != 0};
    return state;
}

bool HasColumns(sqlite3* db, const IndexedTable& table) {
    sqlite3_stmt* probe = nullptr;
    std::string sql = std::string("SELECT ") + table.key + ", " + table.columns + " FROM " + table.name;
    int rc = sqlite3_prepare_v2(db, sql.c_str(), -1, &probe, nullptr);
    sqlite3_finalize(probe);
    return rc == SQLITE_OK;
}

// Rolls back an open transaction when an error leaves a batch part way.
class Transaction {
public:
    explicit Transaction(sqlite3* db) : db_(db) { ExecuteStatements(db_, "BEGIN IMMEDIATE"); }
    ~Transaction() {
        if (!done_ && !sqlite3_get_autocommit(db_)) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    }
    void Commit() {
        ExecuteStatements(db_, "COMMIT");
        done_ = true;
    }

private:
    sqlite3* db_;
    bool done_ = false;
};

}  // namespace

bool HasContentIndex(sqlite3* db) {
    return Scalar(db,
                  "SELECT count(*) FROM sqlite_master WHERE name IN ('topic_words', 'reply_words', "
                  "'content_index_state')") == 3;
}

ContentIndexProgress ReadContentIndexProgress(sqlite3* db) {
    ContentIndexProgress progress;
    bool has = HasContentIndex(db);
    progress.complete = has;
    for (const IndexedTable& table : kIndexedTables) {
        std::string count = std::string("SELECT count(*) FROM ") + table.name;
        progress.total += Scalar(db, count);
        TableState state = has ? ReadState(db, table) : TableState{};
        progress.complete = progress.complete && state.complete;
        if (state.complete)
            progress.done += Scalar(db, count);
        else if (has)
            progress.done += Scalar(db, count + " WHERE " + table.key + " <= " + std::to_string(state.indexedTo));
    }
    return progress;
}

void CreateContentIndex(sqlite3* db) {
    RegisterContentFts(db);
    for (const IndexedTable& table : kIndexedTables) {
        if (!HasColumns(db, table))
            throw Error(std::string("The archive's ") + table.name + " lacks the columns " + table.columns +
                        ", which the content search reads");
    }
    ExecuteStatements(db,
                      "CREATE TABLE IF NOT EXISTS content_index_state (source TEXT PRIMARY KEY, "
                      "indexed_to INTEGER NOT NULL, complete INTEGER NOT NULL)");
    for (const IndexedTable& table : kIndexedTables) {
        // The pairs hold positions (phrases need them); no column sizes, as no rank reads them.
        ExecuteStatements(db, std::string("CREATE VIRTUAL TABLE IF NOT EXISTS ") + table.index + " USING fts5(" +
                                  table.columns + ", content='" + table.name + "', content_rowid='" + table.key +
                                  "', tokenize='zenta_pairs', columnsize=0)");
        // Segments merge sixteen at a time instead of four, and a batch's pairs gather in 16 MB
        // of memory instead of 1 MB before they are written: the build writes each pair's list
        // fewer times (on a board of 100,000 topics, 7 s instead of 12 s; 5% more pages).
        for (const char* setting : {"'automerge', 16", "'hashsize', 16777216"})
            ExecuteStatements(
                db, std::string("INSERT INTO ") + table.index + "(" + table.index + ", rank) VALUES (" + setting + ")");
        ExecuteStatements(db, std::string("INSERT OR IGNORE INTO content_index_state VALUES ('") + table.name + "', " +
                                  std::to_string(INT64_MIN) + ", 0)");
    }
}

bool BuildContentIndex(sqlite3* db, const ContentIndexBuild& build) {
    {
        Transaction transaction(db);
        CreateContentIndex(db);
        transaction.Commit();
    }
    ContentIndexProgress progress = ReadContentIndexProgress(db);
    // The index's pages are written all over the file as its segments merge: a bigger page
    // cache for the build saves most of the rereads.
    const std::int64_t cacheSize = Scalar(db, "PRAGMA cache_size");
    ExecuteStatements(db, "PRAGMA cache_size = -131072");
    struct RestoreCache {
        sqlite3* db;
        std::int64_t size;
        ~RestoreCache() {
            sqlite3_exec(db, ("PRAGMA cache_size = " + std::to_string(size)).c_str(), nullptr, nullptr, nullptr);
        }
    } restore{db, cacheSize};
    const std::int64_t batch = std::max<std::int64_t>(1, build.batchTexts);
    for (const IndexedTable& table : kIndexedTables) {
        const std::string name = table.name, key = table.key;
        Statement next(db, "SELECT count(*), max(" + key + ") FROM (SELECT " + key + " FROM " + name + " WHERE " +
                                     key + " > ? ORDER BY " + key + " LIMIT ?)");
        Statement index(db, std::string("INSERT INTO ") + table.index + "(rowid, " + table.columns + ") SELECT " +
                                      key + ", " + table.columns + " FROM " + name + " WHERE " + key + " > ? AND " +
                                      key + " <= ?");
        Statement advance(db, "UPDATE content_index_state SET indexed_to = ?, complete = ? WHERE source = ?");
        for (;;) {
            if (build.stop && build.stop->load()) return false;
            Transaction transaction(db);
            TableState state = ReadState(db, table);
            if (state.complete) break;
            next.BindInteger(1, state.indexedTo).BindInteger(2, batch);
            next.Step();
            std::int64_t rows = next.Integer(0);
            std::int64_t last = rows > 0 ? next.Integer(1) : state.indexedTo;
            next.Reset();
            if (rows > 0) index.BindInteger(1, state.indexedTo).BindInteger(2, last).Run();
            advance.BindInteger(1, last).BindInteger(2, rows < batch ? 1 : 0).BindText(3, table.name).Run();
            transaction.Commit();
            progress.done += rows;
            if (build.progress) build.progress(progress);
            if (rows < batch) break;
        }
    }
    return true;
}

namespace {

// An order-free sum of the hashes of (row, column, token, position).
std::uint64_t Mix(std::int64_t row, int column, std::string_view token, std::int64_t position) {
    std::uint64_t h = std::hash<std::string_view>{}(token);
    for (std::uint64_t v :
         {static_cast<std::uint64_t>(row), static_cast<std::uint64_t>(column), static_cast<std::uint64_t>(position)})
        h = (h ^ v) * 0x100000001B3ull + (h >> 29);
    return h;
}

std::string CheckTable(sqlite3* db, const IndexedTable& table) {
    const std::string index = table.index;
    char* error = nullptr;
    std::string check = "INSERT INTO " + index + "(" + index + ") VALUES ('integrity-check')";
    if (sqlite3_exec(db, check.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        std::string message = index + ": " + (error ? error : sqlite3_errmsg(db));
        sqlite3_free(error);
        return message;
    }
    std::uint64_t fromTexts = 0, fromIndex = 0;
    std::int64_t tokensOfTexts = 0, tokensOfIndex = 0;
    Statement texts(db, std::string("SELECT ") + table.key + ", " + table.columns + " FROM " + table.name);
    while (texts.Step()) {
        std::int64_t row = texts.Integer(0);
        for (int column = 0; column + 1 < texts.Columns(); ++column) {
            std::int64_t position = 0;
            ForEachContentToken(texts.Text(column + 1),
                                [&](std::string_view token) { fromTexts += Mix(row, column, token, position++); });
            tokensOfTexts += position;
        }
    }
    ExecuteStatements(db,
                      "DROP TABLE IF EXISTS temp.content_check; CREATE VIRTUAL TABLE temp.content_check "
                      "USING fts5vocab(main, " +
                          index + ", instance)");
    {
        Statement instances(db, "SELECT doc, col, term, offset FROM temp.content_check");
        std::vector<std::string> columns;
        Statement names(db, "SELECT name FROM pragma_table_info('" + index + "')");
        while (names.Step()) columns.emplace_back(names.Text(0));
        while (instances.Step()) {
            std::string_view column = instances.Text(1);
            int at = static_cast<int>(std::find(columns.begin(), columns.end(), column) - columns.begin());
            fromIndex += Mix(instances.Integer(0), at, instances.Text(2), instances.Integer(3));
            ++tokensOfIndex;
        }
    }
    ExecuteStatements(db, "DROP TABLE temp.content_check");
    if (fromTexts != fromIndex)
        return index + ": the index holds " + std::to_string(tokensOfIndex) + " tokens, the texts of " + table.name +
               " " + std::to_string(tokensOfTexts) + (tokensOfIndex == tokensOfTexts ? ", not the same" : "");
    return {};
}

}  // namespace

std::string CheckContentIndex(sqlite3* db) {
    if (!HasContentIndex(db)) return "The archive has no content index";
    RegisterContentFts(db);
    for (const IndexedTable& table : kIndexedTables)
        if (std::string problem = CheckTable(db, table); !problem.empty()) return problem;
    return {};
}

struct ContentIndexWriter::Statements {
    const IndexedTable* table = nullptr;
    sqlite3* db = nullptr;
    Statement state, index;
};

ContentIndexWriter::ContentIndexWriter(sqlite3* db, const std::string& table) {
    if (!HasContentIndex(db)) return;
    for (const IndexedTable& indexed : kIndexedTables) {
        if (sqlite3_stricmp(indexed.name, table.c_str()) != 0) continue;
        auto statements = std::make_unique<Statements>();
        statements->table = &indexed;
        statements->db = db;
        statements->state = Statement(
            db, "SELECT complete OR indexed_to >= ? FROM content_index_state WHERE source = ?");
        statements->index = Statement(
            db, std::string("INSERT INTO ") + indexed.index + "(rowid, " + indexed.columns + ") SELECT " + indexed.key +
                    ", " + indexed.columns + " FROM " + indexed.name + " WHERE " + indexed.key + " = ?");
        statements_ = std::move(statements);
    }
}

ContentIndexWriter::~ContentIndexWriter() = default;

void ContentIndexWriter::Add(std::int64_t rowid) {
    if (!statements_) return;
    Statement& state = statements_->state;
    state.BindInteger(1, rowid).BindText(2, statements_->table->name);
    bool covered = state.Step() && state.Integer(0) != 0;
    state.Reset();
    if (covered) statements_->index.BindInteger(1, rowid).Run();
}

}  // namespace zenta
