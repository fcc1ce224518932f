// The one owner of an open file descriptor: closed exactly once, when the owner goes or
// when it is reset.
#pragma once

namespace zenta {

class FileDescriptor {
public:
    FileDescriptor() = default;
    // Takes `fd`, which may be -1 (a failed open: nothing held).
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() { Reset(); }
    FileDescriptor(FileDescriptor&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    FileDescriptor& operator=(FileDescriptor&& other) noexcept;
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }
    // Closes the descriptor held, if any.
    void Reset();

private:
    int fd_ = -1;
};

}  // namespace zenta
