// zenta-cli index ARCHIVE [--progress]: builds the content index in the archive, or completes
// one a stopped build left part way.
#include <CLI/CLI.hpp>

#include <iostream>

#include "archive/content_index.h"
#include "cli/archive_argument.h"
#include "cli/commands.h"

namespace zenta::cli {

void AddIndexCommand(CLI::App& app) {
    auto* command = app.add_subcommand("index", "Build or complete the content index of an archive");
    auto archive = std::make_shared<std::string>();
    auto progress = std::make_shared<bool>(false);
    command->add_option("ARCHIVE", *archive, "The archive file, written to")->required();
    command->add_flag("--progress", *progress, "Print \"progress DONE TOTAL\" (texts) after every batch");
    command->callback([archive, progress] {
        auto connection = OpenWritableArchiveArgument(*archive);
        ContentIndexBuild build;
        if (*progress)
            build.progress = [](const ContentIndexProgress& p) {
                std::cout << "progress " << p.done << " " << p.total << std::endl;
            };
        BuildContentIndex(connection->handle(), build);
    });
}

}  // namespace zenta::cli
