// Converts a Jet (.mdb) archive into a native one. The Jet file is read by the helper program
// zenta-jet-reader in a process of its own, under memory, processor and time limits, so that
// a damaged or hostile file can make the conversion fail but never harm the caller.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

#include "base/progress.h"

namespace zenta {

class Connection;

struct JetConversionOptions {
    // The helper program; empty: zenta-jet-reader found from the running executable (HelperProgram).
    std::string helper;
    // Limits of the helper process; zero: a default (the times grow with the file's size).
    uint64_t addressSpace = 0;
    std::chrono::seconds cpuTime{0};
    std::chrono::seconds wallTime{0};
    // When set (by another thread, or a signal handler), the helper is stopped and the
    // conversion raises CancelledError; nothing is written.
    const std::atomic<bool>* cancel = nullptr;
};

// Writes the native archive `dest` from the Jet file `source`. `dest` appears only when the
// conversion is complete; an existing `dest` is refused. A file that cannot be read raises
// Error "\"<source>\" is not a readable archive: <reason>". `progress` counts the rows
// copied of the rows of all tables together; an error it throws is passed on.
void ConvertJetArchive(const std::string& source, const std::string& dest, const Progress& progress = {},
                       const JetConversionOptions& options = {});

// Reads a Jet file through a converted copy at `copy` (replaced if it exists). The copy is
// unlinked as soon as it is open: the connection goes on reading it, and nothing is left
// behind however the caller ends.
// The copy is opened read-only.
std::unique_ptr<Connection> OpenConvertedJetArchive(const std::string& source, const std::string& copy,
                                                    const Progress& progress = {},
                                                    const JetConversionOptions& options = {});

}  // namespace zenta
