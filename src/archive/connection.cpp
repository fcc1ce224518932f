#include "archive/connection.h"

#include <sqlite3.h>

#include "archive/archive_format.h"
#include "archive/content_fts.h"
#include "archive/jet_functions.h"
#include "base/errors.h"

namespace zenta {

Connection::~Connection() { Close(); }

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
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    // Another instance may be merging into the same file: wait for it rather than fail, from
    // the first read of the schema on.
    if (rc == SQLITE_OK) sqlite3_busy_timeout(db, 10000);
    if (rc == SQLITE_OK) rc = sqlite3_exec(db, "select count(*) from sqlite_master", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) {
        std::string message = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
        sqlite3_close(db);
        throw DatabaseError("\"" + path + "\" is not a readable archive: " + message);
    }
    RegisterJetFunctions(db);
    try {
        RegisterContentFts(db);
    } catch (...) {
        sqlite3_close(db);
        throw;
    }
    db_ = db;
    path_ = path;
}

void Connection::Close() {
    if (db_) sqlite3_close_v2(db_);
    db_ = nullptr;
}

sqlite3* Connection::handle() const {
    if (!db_) throw DatabaseError("The archive connection is not open");
    return db_;
}

}  // namespace zenta
