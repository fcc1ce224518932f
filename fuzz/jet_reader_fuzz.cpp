// libFuzzer target: the Jet reader over arbitrary bytes, converting into an in-memory
// archive. Any input must end in a ReadError or a data base refusal, never in a crash.
#include <sqlite3.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/errors.h"
#include "jetreader/jet_copy.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    for (const char* name : {"MDBICONV", "MDB_JET3_CHARSET", "MDBOPTS", "MDBPATH"}) unsetenv(name);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> bytes(data, data + size);
    MdbHandle* mdb = mdb_open_buffer(bytes.data(), bytes.size(), MDB_NOFLAGS);
    if (!mdb) return 0;
    sqlite3* dest = nullptr;
    if (sqlite3_open(":memory:", &dest) == SQLITE_OK) {
        try {
            zenta::jet::CopyJetTables(mdb, dest, {});
        } catch (const zenta::jet::ReadError&) {
        } catch (const zenta::Error&) {
        }
    }
    sqlite3_close(dest);
    mdb_close(mdb);
    return 0;
}
