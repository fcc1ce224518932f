// The file descriptor owner; see file_descriptor.h.
#include "base/file_descriptor.h"

#include <unistd.h>

namespace zenta {

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept {
    if (this != &other) {
        Reset();
        fd_ = other.fd_;
        other.fd_ = -1;
    }
    return *this;
}

void FileDescriptor::Reset() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
}

}  // namespace zenta
