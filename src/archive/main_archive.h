// The main archive zenta.mdb in the program's folder: a Jet file there is converted once,
// at start-up, into a native archive in its place.
#pragma once

#include <string>

#include "archive/jet_conversion.h"

namespace zenta {

// The main archive of the folder `dir`: dir/zenta.mdb.
std::string MainArchivePath(const std::string& dir);

// When `dir`/zenta.mdb is a Jet file, converts it into a native archive under the same name
// and keeps the original beside it byte for byte as zenta.mdb.jet (or the first free name
// zenta.mdb.N.jet). Returns where the original was kept, or "" when there was nothing to
// convert (no file, a native archive, or a file that the opening will refuse). A failed
// conversion raises Error and leaves the Jet file as it was. An interruption at any moment
// leaves either the Jet file or the complete native archive as zenta.mdb; the next start-up
// finishes the work. Two programs starting at once convert one after the other.
std::string PrepareMainArchive(const std::string& dir, const Progress& progress = {},
                               const JetConversionOptions& options = {});

}  // namespace zenta
