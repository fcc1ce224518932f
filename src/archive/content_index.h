// The content index: every topic's title and message and every reply's message, indexed by
// pairs of characters (see content_fts.h) in two FTS5 tables of the archive itself, which
// read their texts from FORUM_TOPICS and FORUM_REPLY and hold no copy of them. It is built in
// batches, each its own transaction, in key order; how far each table is done is kept in the
// archive, so that a build stopped at any point resumes where it stopped. A merge indexes the
// rows it adds in its own transaction (no triggers: they could not reach a virtual table on a
// connection that does not trust the archive's schema).
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

struct sqlite3;

namespace zenta {

// How far the index is: texts indexed of the texts there are (topics and replies).
struct ContentIndexProgress {
    std::int64_t done = 0;
    std::int64_t total = 0;
    bool complete = false;
};

// Whether the archive has the index's tables, and whether it is complete.
bool HasContentIndex(sqlite3* db);
ContentIndexProgress ReadContentIndexProgress(sqlite3* db);

// Creates the index's tables, empty, unless they exist. An archive whose tables lack a column
// the index reads raises Error.
void CreateContentIndex(sqlite3* db);

// Checks that the index is sound and in step with the texts: the engine's own check of both
// tables, then every token of every text at its place in the index and nothing else. Returns
// what is wrong, empty when all is well (an incomplete index is not in step). Reads it all.
std::string CheckContentIndex(sqlite3* db);

struct ContentIndexBuild {
    std::int64_t batchTexts = 20000;                            // texts per committed batch
    const std::atomic<bool>* stop = nullptr;                    // checked between batches
    std::function<void(const ContentIndexProgress&)> progress;  // after every batch
};

// Creates the index if need be and indexes the texts not indexed yet, batch by batch. Returns
// whether it is complete (false: stopped). An engine error raises DatabaseError; the batches
// committed before it stay.
bool BuildContentIndex(sqlite3* db, const ContentIndexBuild& build = {});

// Keeps the index in step with rows a merge appends: Add indexes one row just inserted into
// the table, in the caller's transaction, when the index covers it (a build still under way
// indexes later rows itself). Does nothing for other tables or an archive without the index.
class ContentIndexWriter {
public:
    ContentIndexWriter(sqlite3* db, const std::string& table);
    ~ContentIndexWriter();
    ContentIndexWriter(const ContentIndexWriter&) = delete;
    ContentIndexWriter& operator=(const ContentIndexWriter&) = delete;

    // Raises DatabaseError when the engine fails; the caller's transaction then holds a row
    // the index lacks and must not be committed.
    void Add(std::int64_t rowid);

private:
    struct Statements;
    std::unique_ptr<Statements> statements_;
};

}  // namespace zenta
