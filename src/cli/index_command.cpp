// zenta-cli index ARCHIVE [--progress] [--check]: builds the content index in the archive, or
// completes one a stopped build left part way; --check then checks it against the texts.
#include <CLI/CLI.hpp>

#include <iostream>

#include "archive/content_index.h"
#include "base/errors.h"
#include "cli/archive_argument.h"
#include "cli/commands.h"

namespace zenta::cli {

void AddIndexCommand(CLI::App& app) {
    auto* command = app.add_subcommand("index", "Build or complete the content index of an archive");
    auto archive = std::make_shared<std::string>();
    auto progress = std::make_shared<bool>(false);
    auto check = std::make_shared<bool>(false);
    command->add_option("ARCHIVE", *archive, "The archive file, written to")->required();
    command->add_flag("--progress", *progress, "Print \"progress DONE TOTAL\" (texts) after every batch");
    command->add_flag("--check", *check, "Then check the index against every text (slow); fails if it is not in step");
    command->callback([archive, progress, check] {
        auto connection = OpenWritableArchiveArgument(*archive);
        ContentIndexBuild build;
        if (*progress)
            build.progress = [](const ContentIndexProgress& p) {
                std::cout << "progress " << p.done << " " << p.total << std::endl;
            };
        BuildContentIndex(connection->handle(), build);
        if (*check) {
            if (std::string problem = CheckContentIndex(connection->handle()); !problem.empty()) throw Error(problem);
            std::cout << "in step\n";
        }
    });
}

}  // namespace zenta::cli
