#include "archive/connection.h"

#include <sqlite3.h>

#include <utility>

#include "archive/archive_format.h"
#include "archive/content_fts.h"
#include "archive/jet_functions.h"
#include "archive/sqlite_handles.h"
#include "base/errors.h"

namespace zenta {

void Connection::Open(const std::string& path) {
    Close();
    switch (DetectArchiveFormat(path)) {
        case ArchiveFormat::Native:
            break;
        case ArchiveFormat::Jet:
            throw DatabaseError("\"" + path + "\" is a Jet archive, which must be converted before it is opened");
        case ArchiveFormat::Unknown:
            throw DatabaseError("\"" + path + "\" is not an archive");
    }
    Database db;
    try {
        db = Database(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX);
        // Another instance may be merging into the same file: wait for it rather than fail,
        // from the first read of the schema on.
        sqlite3_busy_timeout(db.get(), 10000);
        ExecuteStatements(db.get(), "select count(*) from sqlite_master");
    } catch (const DatabaseError& e) {
        throw DatabaseError("\"" + path + "\" is not a readable archive: " + e.what());
    }
    RegisterJetFunctions(db.get());
    RegisterContentFts(db.get());
    db_ = std::move(db);
    path_ = path;
}

void Connection::Close() { db_ = Database(); }

sqlite3* Connection::handle() const {
    if (!db_) throw DatabaseError("The archive connection is not open");
    return db_.get();
}

}  // namespace zenta
