// The native archive to serve for the file named on the command line: the file itself, or for
// a Jet file a converted copy in the user's private cache folder (~/.cache/zenta), made once
// and used again by later runs while the Jet file keeps its size and time of change. The Jet
// file is never written, and nothing is written beside it.
#pragma once

#include <string>

#include "base/progress.h"

namespace zenta::serve {

struct ServedArchive {
    std::string path;        // the native archive to open
    bool converted = false;  // a converted copy of a Jet file
};

ServedArchive PrepareServedArchive(const std::string& path, const Progress& progress = {});

}  // namespace zenta::serve
