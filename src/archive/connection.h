// The connection to one archive: an existing native archive file opened read-write, or
// read-only for a reader that must never change it. Queries of several kinds may be open on
// it at once.
#pragma once

#include <string>

#include "archive/sqlite_handles.h"

namespace zenta {

class Connection {
public:
    enum class Access { ReadWrite, ReadOnly };

    Connection() = default;
    explicit Connection(const std::string& path, Access access = Access::ReadWrite) { Open(path, access); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Opens an existing archive; never creates one. A missing file, a file that is no
    // archive or a damaged one raises DatabaseError with a message naming the file. On a
    // read-only connection every statement that would write fails with the engine's error.
    void Open(const std::string& path, Access access = Access::ReadWrite);
    void Close();
    bool Connected() const { return static_cast<bool>(db_); }
    const std::string& path() const { return path_; }

    // The engine handle; raises DatabaseError when the connection is closed.
    sqlite3* handle() const;

private:
    Database db_;
    std::string path_;
};

}  // namespace zenta
