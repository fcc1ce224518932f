// zenta-jet-reader: reads a Jet (.mdb) file with libmdb and writes the board's tables into a
// new native archive. The reader starts it as a separate process with limits, because libmdb
// may crash, loop or eat memory on a damaged file; this process may die, the reader not.
//
//   zenta-jet-reader SOURCE DEST [PROGRESS_FD]
//
// DEST must be new or empty. Exit 0: DEST holds the complete archive. Otherwise exit 1 and DEST may be partial. Lines
// on PROGRESS_FD: "progress COPIED TOTAL" now and then, "error TEXT" on a failure.
#include <fcntl.h>
#include <sys/stat.h>
#include <sqlite3.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "archive/sqlite_handles.h"
#include "jetreader/jet_copy.h"

namespace {

int progressFd = -1;

void Report(const std::string& line) {
    if (progressFd < 0) return;
    std::string text = line + "\n";
    for (size_t done = 0; done < text.size();) {
        ssize_t n = write(progressFd, text.data() + done, text.size() - done);
        if (n <= 0) std::_Exit(1);  // the reader went away: nobody wants the result
        done += static_cast<size_t>(n);
    }
}

// libmdb writes warnings to both streams, millions of lines on a damaged file.
void SilenceLibraryOutput() {
    int nullFd = open("/dev/null", O_WRONLY);
    if (nullFd < 0) return;
    dup2(nullFd, STDOUT_FILENO);
    dup2(nullFd, STDERR_FILENO);
    if (nullFd > STDERR_FILENO) close(nullFd);
}

int Fail(const std::string& message) {
    Report("error " + message);
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3 || argc > 4) {
        std::fprintf(stderr, "usage: zenta-jet-reader SOURCE DEST [PROGRESS_FD]\n");
        return 2;
    }
    if (argc == 4) progressFd = std::atoi(argv[3]);
    std::signal(SIGPIPE, SIG_IGN);
    // These change how libmdb reads text and what it prints; the conversion must not depend on them.
    for (const char* name : {"MDBICONV", "MDB_JET3_CHARSET", "MDBOPTS", "MDBPATH"}) unsetenv(name);
    SilenceLibraryOutput();

    struct stat destStat;
    if (stat(argv[2], &destStat) == 0 && destStat.st_size > 0) return Fail(std::string(argv[2]) + " is not empty");
    MdbHandle* mdb = mdb_open(argv[1], MDB_NOFLAGS);
    if (!mdb) return Fail("it is no Jet data base libmdb can open");
    int status = 0;
    zenta::Database dest;
    try {
        dest = zenta::Database(argv[2], SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    } catch (const std::exception& e) {
        status = Fail(std::string("cannot create the converted archive: ") + e.what());
    }
    if (dest) {
        try {
            // The file is written once and adopted only when complete: no journal needed.
            sqlite3_exec(dest.get(), "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF", nullptr, nullptr, nullptr);
            zenta::jet::CopyJetTables(mdb, dest.get(), [](int64_t copied, int64_t total) {
                Report("progress " + std::to_string(copied) + " " + std::to_string(total));
            });
        } catch (const std::exception& e) {
            status = Fail(e.what());
        }
        try {
            dest.Close();
        } catch (const std::exception&) {
            if (status == 0) status = Fail("the converted archive cannot be closed");
        }
    }
    mdb_close(mdb);
    return status;
}
