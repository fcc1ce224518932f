// zenta-cli convert SRC DEST: a Jet (.mdb) file into a new native archive.
#include <CLI/CLI.hpp>

#include <iostream>

#include "archive/jet_conversion.h"
#include "cli/commands.h"

namespace zenta::cli {

void AddConvertCommand(CLI::App& app) {
    auto* command =
        app.add_subcommand("convert", "Convert a Jet (.mdb) archive into a new native archive (never overwrites)");
    auto source = std::make_shared<std::string>();
    auto dest = std::make_shared<std::string>();
    auto quiet = std::make_shared<bool>(false);
    command->add_option("SRC", *source, "The Jet file")->required();
    command->add_option("DEST", *dest, "The native archive to create")->required();
    command->add_flag("--quiet", *quiet, "Print no progress on stderr");
    command->callback([source, dest, quiet] {
        int64_t rows = 0;
        ConvertJetArchive(*source, *dest, [&](int64_t copied, int64_t total) {
            rows = copied;
            if (!*quiet) std::cerr << "\r" << copied << " / " << total << " rows" << std::flush;
        });
        if (!*quiet) std::cerr << "\n";
        std::cout << rows << " rows converted\n";
    });
}

}  // namespace zenta::cli
