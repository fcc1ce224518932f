// The connection to one archive: an existing native archive file opened read-write.
// Queries of several kinds may be open on it at once.
#pragma once

#include <string>

#include "archive/sqlite_handles.h"

namespace zenta {

class Connection {
public:
    Connection() = default;
    explicit Connection(const std::string& path) { Open(path); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Opens an existing archive; never creates one. A missing file, a file that is no
    // archive or a damaged one raises DatabaseError with a message naming the file.
    void Open(const std::string& path);
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
