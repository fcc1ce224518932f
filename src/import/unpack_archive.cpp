#include "import/unpack_archive.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "base/file_descriptor.h"

namespace zenta {
namespace {

// Input and output stream through buffers of this size, so memory stays bounded.
constexpr size_t kChunk = 256 * 1024;

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

// Reads up to `size` bytes; fewer only at the end of the file.
size_t ReadUpTo(int fd, unsigned char* buffer, size_t size, const std::string& path) {
    size_t done = 0;
    while (done < size) {
        ssize_t got = read(fd, buffer + done, size - done);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) throw StreamReadError("Stream read error on " + Quoted(path) + ": " + std::strerror(errno));
        if (got == 0) break;
        done += static_cast<size_t>(got);
    }
    return done;
}

void WriteAll(int fd, const unsigned char* bytes, size_t size, const std::string& path) {
    while (size > 0) {
        ssize_t put = write(fd, bytes, size);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0)
            throw StreamWriteError("Stream write error on " + Quoted(path) + ": " +
                                   (put < 0 ? std::strerror(errno) : "nothing was written"));
        bytes += put;
        size -= static_cast<size_t>(put);
    }
}

// Creates the destination without following a symbolic link; it is truncated only once no
// other unpacking holds it (the lock lasts as long as the descriptor) and it is not the
// source itself.
FileDescriptor CreateDestination(const std::string& path, const std::string& source) {
    FileDescriptor file(open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0666));
    const int fd = file.get();
    if (!file) {
        const char* why = errno == ELOOP ? "it is a symbolic link, which is not followed" : std::strerror(errno);
        throw FileCreateError("Cannot create file " + Quoted(path) + ": " + why);
    }
    const char* why = nullptr;
    struct stat st {};
    struct stat from {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
        why = "it is not a regular file";
    else if (stat(source.c_str(), &from) == 0 && from.st_dev == st.st_dev && from.st_ino == st.st_ino)
        why = "it is the compressed archive itself";
    else if (flock(fd, LOCK_EX | LOCK_NB) != 0)
        why = "it is held open by another unpacking";
    else if (ftruncate(fd, 0) != 0)
        why = std::strerror(errno);
    if (why) throw FileCreateError("Cannot create file " + Quoted(path) + ": " + why);
    return file;
}

class Inflater {
public:
    Inflater() {
        if (inflateInit2(&stream_, 15) != Z_OK) throw ZlibError();
    }
    ~Inflater() { inflateEnd(&stream_); }
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;
    z_stream* operator->() { return &stream_; }

    // One inflate step with no flush; a damaged stream, a wrong Adler-32 or a preset
    // dictionary raises the zlib error. Returns true at the end of the stream.
    bool Step() {
        int rc = inflate(&stream_, Z_NO_FLUSH);
        if (rc == Z_NEED_DICT || (rc < 0 && rc != Z_BUF_ERROR)) throw ZlibError();
        return rc == Z_STREAM_END;
    }

private:
    z_stream stream_{};
};

// Streams the zlib data of `in` through the inflater into `out` until `size` bytes are out.
void InflateInto(int in, const std::string& source, int out, const std::string& destination, std::uint64_t size) {
    Inflater z;
    std::vector<unsigned char> input(kChunk);
    std::vector<unsigned char> output(kChunk);
    bool inputEnded = false;
    auto refill = [&] {
        if (z->avail_in > 0 || inputEnded) return;
        size_t got = ReadUpTo(in, input.data(), input.size(), source);
        inputEnded = got == 0;
        z->next_in = input.data();
        z->avail_in = static_cast<uInt>(got);
    };
    std::uint64_t remaining = size;
    while (remaining > 0) {
        refill();
        size_t room = static_cast<size_t>(std::min<std::uint64_t>(output.size(), remaining));
        z->next_out = output.data();
        z->avail_out = static_cast<uInt>(room);
        bool ended = z.Step();
        size_t produced = room - z->avail_out;
        WriteAll(out, output.data(), produced, destination);
        remaining -= produced;
        if (remaining == 0) break;
        if (ended || (produced == 0 && z->avail_in == 0 && inputEnded))
            throw StreamReadError("Stream read error on " + Quoted(source) + ": the compressed archive ends after " +
                                  std::to_string(size - remaining) + " of its " + std::to_string(size) + " bytes");
    }
    // When the size is the whole stream, go on to the stream's end so that its Adler-32 is
    // checked; a further byte means the archive was cut short on purpose, and the rest stays
    // unexamined, as does a file that ends before its trailer.
    unsigned char probe = 0;
    for (;;) {
        refill();
        z->next_out = &probe;
        z->avail_out = 1;
        if (z.Step() || z->avail_out == 0 || z->avail_in == 0) break;
    }
}

void Unpack(const std::string& source, int out, const std::string& destination) {
    FileDescriptor file(open(source.c_str(), O_RDONLY | O_CLOEXEC));
    if (!file) throw FileOpenError("Cannot open file " + Quoted(source) + ": " + std::strerror(errno));
    const int in = file.get();
    unsigned char head[4];
    size_t got = ReadUpTo(in, head, sizeof head, source);
    if (got < sizeof head)
        throw StreamReadError("Stream read error on " + Quoted(source) + ": " + std::to_string(got) +
                              " bytes are too few to hold the unpacked size");
    auto size = static_cast<std::int32_t>(
        static_cast<std::uint32_t>(head[0]) | static_cast<std::uint32_t>(head[1]) << 8 |
        static_cast<std::uint32_t>(head[2]) << 16 | static_cast<std::uint32_t>(head[3]) << 24);
    if (size < 0)
        throw StreamWriteError("Stream write error on " + Quoted(destination) + ": " + Quoted(source) +
                               " gives a negative unpacked size (" + std::to_string(size) + ")");
    // An unpacked size of zero asks for nothing, so not even the stream's header is examined.
    if (size > 0) InflateInto(in, source, out, destination, static_cast<std::uint64_t>(size));
}

// A failed unpacking leaves an empty destination, never a part of an archive. Best effort:
// the error being raised says more than a failed truncation would.
void Empty(int fd) {
    if (ftruncate(fd, 0) != 0) return;
}

}  // namespace

bool UnpackArchive(const std::string& source, const std::string& destination) {
    FileDescriptor out = CreateDestination(destination, source);
    try {
        Unpack(source, out.get(), destination);
    } catch (const std::bad_alloc&) {
        Empty(out.get());
        throw Error("Out of memory while unpacking " + Quoted(source));
    } catch (...) {
        Empty(out.get());
        throw;
    }
    return true;
}

std::string GetSystemDir() {
    std::string base;
    const char* cache = std::getenv("XDG_CACHE_HOME");
    if (cache && cache[0] == '/') {
        base = cache;
    } else {
        const char* home = std::getenv("HOME");
        if (!home || !*home) {
            const passwd* user = getpwuid(getuid());
            home = user ? user->pw_dir : nullptr;
        }
        if (!home || !*home) throw Error("Cannot find the user's home folder for the cache folder");
        base = std::string(home) + "/.cache";
    }
    while (base.size() > 1 && base.back() == '/') base.pop_back();
    // Missing folders on the way are made private, as the cache folder's own rules ask.
    for (size_t slash = base.find('/', 1);; slash = base.find('/', slash + 1)) {
        std::string prefix = base.substr(0, slash);
        struct stat st {};
        if (stat(prefix.c_str(), &st) != 0 && mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST)
            throw Error("Cannot create the cache folder " + Quoted(prefix) + ": " + std::strerror(errno));
        if (slash == std::string::npos) break;
    }
    std::string dir = base + "/zenta";
    if (mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST)
        throw Error("Cannot create the cache folder " + Quoted(dir) + ": " + std::strerror(errno));
    // Another user must not be able to plant a file or a link here.
    struct stat st {};
    if (lstat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != geteuid())
        throw Error("The cache folder " + Quoted(dir) + " is not a folder of this user's own");
    if ((st.st_mode & 077) != 0 && chmod(dir.c_str(), 0700) != 0)
        throw Error("Cannot make the cache folder " + Quoted(dir) + " private: " + std::strerror(errno));
    return dir + "/";
}

}  // namespace zenta
