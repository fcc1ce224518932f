// The main archive zenta.mdb in the program's folder: a Jet file there is converted once,
// at start-up, into a native archive in its place.
#pragma once

#include <string>

#include "archive/jet_conversion.h"

namespace zenta {

class Connection;

// The main archive of the folder `dir`: dir/zenta.mdb.
std::string MainArchivePath(const std::string& dir);

// Opens dir/zenta.mdb read-write (read-only when it cannot be written) and checks that each
// of the five tables it has is a real table. A failure raises Error whose message is the
// reason to show under the start-up message: the file and the engine's words, e.g.
// "\"/x/zenta.mdb\" is not a readable archive: FORUM_REPLY is not a table".
void OpenMainArchive(Connection& connection, const std::string& dir);

// When `dir`/zenta.mdb is a Jet file, converts it into a native archive under the same name
// and keeps the original beside it byte for byte as zenta.mdb.jet (or the first free name
// zenta.mdb.N.jet). Returns where the original was kept, or "" when there was nothing to
// convert (no file, a native archive, or a file that the opening will refuse). A failed
// conversion raises Error and leaves the Jet file as it was. An interruption at any moment
// leaves either the Jet file or the complete native archive as zenta.mdb; the next start-up
// finishes the work. Two programs starting at once convert one after the other. Setting
// `options.cancel` stops the conversion with CancelledError, the Jet file left as it was.
std::string PrepareMainArchive(const std::string& dir, const Progress& progress = {},
                               const JetConversionOptions& options = {});

}  // namespace zenta
