// libFuzzer target: any text as a statement in the board's Jet dialect, translated and run
// through a query on a small archive. The statement may be refused, never crash. Each run
// is rolled back, and statements that could reach outside the archive (attaching another
// file, pragmas, transactions) are denied, so every input meets the same archive.
#include <sqlite3.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "archive/connection.h"
#include "archive/query.h"
#include "archive/schema.h"
#include "archive/sqlite_handles.h"
#include "base/errors.h"
#include "fuzz_files.h"

namespace {

bool guarding = false;
int steps = 0;

int Authorize(void*, int action, const char*, const char*, const char*, const char*) {
    if (!guarding) return SQLITE_OK;
    switch (action) {
        case SQLITE_ATTACH:
        case SQLITE_DETACH:
        case SQLITE_PRAGMA:
        case SQLITE_TRANSACTION:
        case SQLITE_SAVEPOINT:
            return SQLITE_DENY;
        default:
            return SQLITE_OK;
    }
}

// Ends statements that would run for long (a recursive query without end, a huge join).
int Interrupt(void*) { return ++steps > 200000 ? 1 : 0; }

zenta::Connection& Archive() {
    static zenta::Connection* connection = [] {
        const std::string path = zenta::fuzz::ScratchDir() + "/jet_sql.mdb";
        zenta::CreateNativeArchive(path);
        auto* made = new zenta::Connection(path);
        sqlite3* db = made->handle();
        zenta::ExecuteStatements(
            db,
            "insert into FORUM_CATEGORY values (1,'Delphi',0,10,1),(2,'C++',1,20,null);"
            "insert into FORUM_FORUM values (1,1,'Delphi''s Tips','<b>x</b>',2),(2,2,'BCB',null,0);"
            "insert into FORUM_MEMBERS values (1,'Tom',null,3),(2,'王　五','a@b',null);"
            "insert into FORUM_TOPICS values (101,1,1,1,'t1',5,'20021231143000','m',1,2,'Y',1,'20030101'),"
            "(102,2,2,2,null,null,null,null,null,null,null,null,null);"
            "insert into FORUM_REPLY values (1,101,2,'r','20030101',1),(2,102,9,null,20030102,2);");
        sqlite3_limit(db, SQLITE_LIMIT_LENGTH, 1 << 20);
        sqlite3_limit(db, SQLITE_LIMIT_ATTACHED, 0);
        sqlite3_busy_timeout(db, 0);
        sqlite3_set_authorizer(db, Authorize, nullptr);
        sqlite3_progress_handler(db, 100, Interrupt, nullptr);
        return made;
    }();
    return *connection;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    zenta::Connection& archive = Archive();
    sqlite3* db = archive.handle();
    std::string statement(reinterpret_cast<const char*>(data), size);
    if (sqlite3_exec(db, "begin", nullptr, nullptr, nullptr) != SQLITE_OK) std::abort();
    guarding = true;
    steps = 0;
    try {
        zenta::Query query(&archive);
        query.SQL().Add(statement);
        query.Open();
        for (int rows = 0; !query.Eof() && rows < 1000; query.Next(), ++rows)
            for (int i = 0; i < query.FieldCount(); ++i) query.Fields(i).AsString();
        query.Close();
    } catch (const zenta::Error&) {
    }
    guarding = false;
    sqlite3_exec(db, "rollback", nullptr, nullptr, nullptr);
    return 0;
}
