// The connection to one archive: an existing native archive file, opened read-write (the
// main archive) or read-only (every archive that is only read: a merge's source, a command
// that lists or prints). Queries of several kinds may be open on it at once.
//
// Every archive may come from a stranger, so it is treated as data, never as code: the
// engine runs in defensive mode with trusted schema off (the file's views and triggers may
// call no function with side effects), and one step of a statement (the work between two
// rows it yields) is bounded in time, generously and growing with the file's size, so that a
// statement that would never end fails with DatabaseError instead of hanging; real archives
// of any size never meet the bound, since each row costs them a bounded amount of work.
// A read-write archive is kept in write-ahead-log mode: readers never block a merge and a
// merge never blocks readers.
#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "archive/sqlite_handles.h"

namespace zenta {

enum class Access { ReadWrite, ReadOnly };

class Connection {
public:
    Connection();
    explicit Connection(const std::string& path, Access access = Access::ReadWrite);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Opens an existing archive; never creates one. A missing file, a file that is no
    // archive or a damaged one raises DatabaseError with a message naming the file. A
    // read-write opening of a file or folder that cannot be written opens it read-only.
    void Open(const std::string& path, Access access = Access::ReadWrite);
    void Close();
    bool Connected() const { return static_cast<bool>(db_); }
    const std::string& path() const { return path_; }

    // The engine handle; raises DatabaseError when the connection is closed.
    sqlite3* handle() const;

    // The bound on one step of a statement; the default grows with the file's size. Tests
    // set a short one.
    void LimitStepTime(std::chrono::milliseconds limit);

private:
    struct StepBound;
    std::unique_ptr<StepBound> bound_;
    Database db_;
    std::string path_;
};

}  // namespace zenta
