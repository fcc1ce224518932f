// zenta-cli unpack SRC DEST: inflates a compressed archive (.znt) into a plain archive file.
#include <CLI/CLI.hpp>

#include "cli/commands.h"
#include "import/unpack_archive.h"

namespace zenta::cli {

void AddUnpackCommand(CLI::App& app) {
    auto* command = app.add_subcommand("unpack", "Inflate a compressed archive (.znt) into a file (overwritten)");
    auto source = std::make_shared<std::string>();
    auto destination = std::make_shared<std::string>();
    command->add_option("SRC", *source, "The compressed archive")->required();
    command->add_option("DEST", *destination, "The file to write")->required();
    command->callback([source, destination] { UnpackArchive(*source, *destination); });
}

}  // namespace zenta::cli
