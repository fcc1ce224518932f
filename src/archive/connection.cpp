// The connection to one archive; see connection.h.
#include "archive/connection.h"

#include <sqlite3.h>
#include <unistd.h>

#include <filesystem>
#include <utility>

#include "archive/archive_format.h"
#include "archive/content_fts.h"
#include "archive/jet_functions.h"
#include "archive/sqlite_handles.h"
#include "archive/topic_title_index.h"
#include "base/errors.h"

namespace zenta {

// The progress handler's state. The engine has no call at the start of each step, so a new
// step is told by a row or a statement start (the trace) or by a pause between two calls of
// the handler longer than any one operation takes (the caller came back after doing other
// things); the step's time runs from there.
struct Connection::StepBound {
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds kPause{250};

    std::chrono::milliseconds limit{0};
    std::uint64_t events = 0;
    std::uint64_t seenEvents = 0;
    Clock::time_point stepStart;
    Clock::time_point lastCall;

    static int OnTrace(unsigned, void* context, void*, void*) {
        ++static_cast<StepBound*>(context)->events;
        return 0;
    }

    // Non-zero interrupts the statement.
    static int OnProgress(void* context) {
        auto& bound = *static_cast<StepBound*>(context);
        const Clock::time_point now = Clock::now();
        if (bound.events != bound.seenEvents || now - bound.lastCall > kPause) {
            bound.seenEvents = bound.events;
            bound.stepStart = now;
        }
        bound.lastCall = now;
        return now - bound.stepStart > bound.limit ? 1 : 0;
    }
};

namespace {

// Engine operations between two looks at the clock: a few microseconds of work.
constexpr int kOperationsPerLook = 20000;

// Ten seconds and one more for every 16 MiB of the file: a real archive's step reads each
// page it needs a bounded number of times, so its time grows with the file at most.
std::chrono::milliseconds DefaultStepLimit(const std::string& path) {
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    return std::chrono::seconds(10 + (ec ? 0 : static_cast<std::int64_t>(size >> 24)));
}

// Whether the file and its folder may be written (the engine writes its journal beside it).
bool Writable(const std::string& path) {
    std::filesystem::path folder = std::filesystem::absolute(path).parent_path();
    return access(path.c_str(), W_OK) == 0 && access(folder.c_str(), W_OK) == 0;
}

// A file name as an SQLite URI that reads the file as it stands, without locks or a journal.
std::string ImmutableUri(const std::string& path) {
    std::string uri = "file:";
    for (char c : std::filesystem::absolute(path).string()) {
        if (c == '%' || c == '?' || c == '#') {
            static const char kHex[] = "0123456789ABCDEF";
            uri += '%';
            uri += kHex[static_cast<unsigned char>(c) >> 4];
            uri += kHex[c & 15];
        } else {
            uri += c;
        }
    }
    return uri + "?immutable=1";
}

Database OpenAndRead(const std::string& name, int flags) {
    Database db(name, flags | SQLITE_OPEN_NOMUTEX);
    // Another instance may be merging into the same file: wait for it rather than fail,
    // from the first read of the schema on.
    sqlite3_busy_timeout(db.get(), 10000);
    ExecuteStatements(db.get(), "select count(*) from sqlite_master");
    return db;
}

}  // namespace

Connection::Connection() = default;

Connection::Connection(const std::string& path, Access access) { Open(path, access); }

Connection::~Connection() = default;

void Connection::Open(const std::string& path, Access access) {
    Close();
    switch (DetectArchiveFormat(path)) {
        case ArchiveFormat::Native:
            break;
        case ArchiveFormat::Jet:
            throw DatabaseError("\"" + path + "\" is a Jet archive, which must be converted before it is opened");
        case ArchiveFormat::Unknown:
            throw DatabaseError("\"" + path + "\" is not an archive");
    }
    const bool write = access == Access::ReadWrite && Writable(path);
    Database db;
    try {
        try {
            db = OpenAndRead(path, write ? SQLITE_OPEN_READWRITE : SQLITE_OPEN_READONLY);
        } catch (const DatabaseError&) {
            // A write-ahead-log archive in a folder that cannot be written: without its shared
            // memory file the engine cannot read it in the ordinary way, but nobody can write
            // it either, so it is read as it stands.
            if (write) throw;
            db = OpenAndRead(ImmutableUri(path), SQLITE_OPEN_READONLY | SQLITE_OPEN_URI);
        }
        // Readers never block a merge and a merge never blocks readers. The switch needs the
        // file to itself: while an older instance reads it, this opening goes on in the old
        // mode and a later one switches.
        if (write) sqlite3_exec(db.get(), "PRAGMA journal_mode = WAL", nullptr, nullptr, nullptr);
    } catch (const DatabaseError& e) {
        throw DatabaseError("\"" + path + "\" is not a readable archive: " + e.what());
    }
    auto bound = std::make_unique<StepBound>();
    bound->limit = DefaultStepLimit(path);
    sqlite3_trace_v2(db.get(), SQLITE_TRACE_STMT | SQLITE_TRACE_ROW, &StepBound::OnTrace, bound.get());
    sqlite3_progress_handler(db.get(), kOperationsPerLook, &StepBound::OnProgress, bound.get());
    RegisterJetFunctions(db.get());
    if (write) DropTitleIndexTriggers(db.get());
    RegisterContentFts(db.get());
    db_ = std::move(db);
    bound_ = std::move(bound);
    path_ = path;
}

void Connection::Close() {
    // Statements still open keep the engine's handle alive: it must not call the bound after it went.
    if (db_) {
        sqlite3_progress_handler(db_.get(), 0, nullptr, nullptr);
        sqlite3_trace_v2(db_.get(), 0, nullptr, nullptr);
    }
    db_ = Database();
    bound_.reset();
}

sqlite3* Connection::handle() const {
    if (!db_) throw DatabaseError("The archive connection is not open");
    return db_.get();
}

void Connection::LimitStepTime(std::chrono::milliseconds limit) {
    if (bound_) bound_->limit = limit;
}

}  // namespace zenta
