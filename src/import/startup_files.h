// What the reader's command line names: the main archive to open, and a file whose data the user may add to it.
// The window opens a file from the file manager this way: an archive opens as the main one; a compressed archive,
// or a Jet file beside an existing main archive, is data to add, and the main archive opens either way.
#pragma once

#include <string>
#include <vector>

namespace zenta {

struct StartupFiles {
    std::string mainArchive;
    // Empty: nothing to add.
    std::string dataToAdd;
};

// `named` is the command line's file ("" for none); `places` where the main archive is looked for
// (MainArchivePlaces). With no name, or with a compressed archive (".znt") named, the main archive is the first
// place that exists; none raises Error naming them all. A Jet file named while a main archive exists elsewhere is
// data to add. Any other name is the main archive itself, and must exist.
StartupFiles ChooseStartupFiles(const std::string& named, const std::vector<std::string>& places);

}  // namespace zenta
