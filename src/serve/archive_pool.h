// Read-only connections to the served archive, lent one to a request at a time. A connection
// holds no transaction between requests, so a merge by another program is seen by the next
// statement; the pool only saves opening the file for every request.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "archive/connection.h"

namespace zenta::serve {

class ArchivePool {
public:
    // Opens the archive once, so that a file that is no archive is refused at start-up with
    // the core's error.
    explicit ArchivePool(std::string path);

    // A connection for the life of the lease; it returns to the pool afterwards.
    class Lease {
    public:
        Lease(ArchivePool& pool, std::unique_ptr<Connection> connection)
            : pool_(pool), connection_(std::move(connection)) {}
        ~Lease() { pool_.GiveBack(std::move(connection_)); }
        Lease(const Lease&) = delete;
        Lease& operator=(const Lease&) = delete;
        Connection& operator*() const { return *connection_; }

    private:
        ArchivePool& pool_;
        std::unique_ptr<Connection> connection_;
    };

    Lease Borrow();

private:
    void GiveBack(std::unique_ptr<Connection> connection);

    std::string path_;
    std::mutex mutex_;
    std::vector<std::unique_ptr<Connection>> idle_;
};

}  // namespace zenta::serve
