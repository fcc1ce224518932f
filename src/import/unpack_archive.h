// Compressed archives (".znt"): a signed 32-bit little-endian unpacked size N, then a zlib
// stream (RFC 1950) whose first N inflated bytes are an archive file. Unpacking them, and
// the private folder where the unpacked copy of a merge source lives.
#pragma once

#include <string>

#include "base/errors.h"

namespace zenta {

// The errors of unpacking; each names the file concerned, except the zlib error, whose
// whole message is "error" (the inflater's own diagnostics are not shown).
class FileCreateError : public Error {
public:
    using Error::Error;
};
class FileOpenError : public Error {
public:
    using Error::Error;
};
class StreamReadError : public Error {
public:
    using Error::Error;
};
class StreamWriteError : public Error {
public:
    using Error::Error;
};
class ZlibError : public Error {
public:
    ZlibError() : Error("error") {}
};

// Inflates the compressed archive `source` into the file `destination` and returns true;
// every failure raises one of the errors above. The destination is created (truncated if it
// exists; never through a symbolic link, never the source itself) before the source is
// read, and once created it is left empty by every failure. Memory stays bounded whatever
// the archive's size. An unpacked size smaller than the stream's inflated length cuts the
// archive to that size; a larger one is a read error; a negative one a write error. When N
// is the whole stream, its Adler-32 trailer is checked as well.
bool UnpackArchive(const std::string& source, const std::string& destination);

// The private per-user folder for the unpacked copy of a merge source: "zenta/" in the
// user's cache folder ($XDG_CACHE_HOME, else ~/.cache), created with mode 0700 and owned by
// the user, ending in "/". Raises Error when it cannot be made or is not private.
std::string GetSystemDir();

}  // namespace zenta
