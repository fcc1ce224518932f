// The main archive: where it is looked for (zenta.mdb beside the executable, then in the user's data folder), and
// its start-up conversion: a Jet main archive is converted once into a native archive in its place.
#pragma once

#include <string>
#include <vector>

#include "archive/jet_conversion.h"

namespace zenta {

class Connection;

// The main archive of the folder `dir`: dir/zenta.mdb.
std::string MainArchivePath(const std::string& dir);

// Where the main archive is looked for when none is named, in order: zenta.mdb in `executableDir` (a copied folder,
// the build folder), then $XDG_DATA_HOME/zenta/zenta.mdb ($HOME/.local/share when that is unset, empty or not an
// absolute path; left out when there is no HOME either).
std::vector<std::string> MainArchivePlaces(const std::string& executableDir);

// The first of `places` that exists, or "" when none does.
std::string FindMainArchive(const std::vector<std::string>& places);

// As FindMainArchive, but none raises Error naming every place looked at.
std::string LocateMainArchive(const std::vector<std::string>& places);

// Opens the main archive at `path` read-write (read-only when it cannot be written) and
// checks that each of the five tables it has is a real table. A failure raises Error whose
// message is the reason to show under the start-up message: the file and the engine's words,
// e.g. "\"/x/zenta.mdb\" is not a readable archive: FORUM_REPLY is not a table".
void OpenMainArchive(Connection& connection, const std::string& path);

// When `path` is a Jet file, converts it into a native archive under the same name and keeps
// the original beside it byte for byte as NAME.jet (or the first free name NAME.N.jet).
// Returns where the original was kept, or "" when there was nothing to convert (no file, a
// native archive, or a file that the opening will refuse). A failed conversion raises Error
// and leaves the Jet file as it was. An interruption at any moment leaves either the Jet file
// or the complete native archive under its name; the next start-up finishes the work. Two
// programs starting at once convert one after the other. Setting `options.cancel` stops the
// conversion with CancelledError, the Jet file left as it was.
std::string PrepareMainArchive(const std::string& path, const Progress& progress = {},
                               const JetConversionOptions& options = {});

}  // namespace zenta
