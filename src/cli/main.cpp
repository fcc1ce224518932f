// zenta-cli: the reader's core from a shell, for users, scripts, tests and benchmarks.
#include <CLI/CLI.hpp>

#include <iostream>
#include <string>

#include "base/errors.h"
#include "base/version.h"
#include "cli/commands.h"

int main(int argc, char** argv) {
    CLI::App app{"Zenta reader: the board archive's tree, topics and pages from the command line"};
    app.set_version_flag("--version", std::string("zenta-cli ") + zenta::kVersion);
    app.require_subcommand(1);
    zenta::cli::AddConvertCommand(app);
    zenta::cli::AddGenerateCommand(app);
    zenta::cli::AddIndexCommand(app);
    zenta::cli::AddListCommand(app);
    zenta::cli::AddMergeCommand(app);
    zenta::cli::AddPageCommand(app);
    zenta::cli::AddSearchCommand(app);
    zenta::cli::AddServeCommand(app);
    zenta::cli::AddSqlCommand(app);
    zenta::cli::AddTreeCommand(app);
    zenta::cli::AddUnpackCommand(app);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e);
    } catch (const std::exception& e) {
        std::cerr << "zenta-cli: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
