#include "serve/archive_pool.h"

namespace zenta::serve {

ArchivePool::ArchivePool(std::string path) : path_(std::move(path)) {
    idle_.push_back(std::make_unique<Connection>(path_, Access::ReadOnly));
}

ArchivePool::Lease ArchivePool::Borrow() {
    {
        std::lock_guard lock(mutex_);
        if (!idle_.empty()) {
            auto connection = std::move(idle_.back());
            idle_.pop_back();
            return Lease(*this, std::move(connection));
        }
    }
    // As many connections as requests run at once: one a server thread.
    return Lease(*this, std::make_unique<Connection>(path_, Access::ReadOnly));
}

void ArchivePool::GiveBack(std::unique_ptr<Connection> connection) {
    if (!connection) return;
    std::lock_guard lock(mutex_);
    idle_.push_back(std::move(connection));
}

}  // namespace zenta::serve
