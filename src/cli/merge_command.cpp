// zenta-cli merge MAIN SRC: appends the rows of another archive (plain or .znt) to the main
// archive and prints what became of each table's rows. Ctrl+C (SIGINT) stops it after the
// batch in hand: the lines are printed with "merge cancelled" after them, and the exit
// status is 130, as a shell gives a command that SIGINT ended.
#include <CLI/CLI.hpp>

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <iostream>

#include "cli/archive_argument.h"
#include "cli/commands.h"
#include "import/archive_merge.h"
#include "import/merge_source.h"

namespace zenta::cli {
namespace {

std::atomic<bool> interrupted{false};

extern "C" void OnInterrupt(int) { interrupted.store(true); }

}  // namespace

void AddMergeCommand(CLI::App& app) {
    auto* command =
        app.add_subcommand("merge", "Append the rows of another archive (plain or .znt) to the main archive");
    auto main = std::make_shared<std::string>();
    auto source = std::make_shared<std::string>();
    auto options = std::make_shared<MergeOptions>();
    auto progress = std::make_shared<bool>(false);
    command->add_option("MAIN", *main, "The main archive, written to")->required();
    command->add_option("SRC", *source, "The archive to merge")->required();
    command->add_option("--batch-rows", options->batchRows, "Source rows per committed batch")
        ->check(CLI::PositiveNumber);
    command->add_flag("--progress", *progress, "Print \"progress DONE TOTAL\" after every batch");
    command->callback([main, source, options, progress] {
        std::signal(SIGINT, OnInterrupt);
        options->cancel = &interrupted;
        JetConversionOptions conversion;
        conversion.cancel = &interrupted;
        auto destination = OpenWritableArchiveArgument(*main);
        auto from = OpenMergeSource(*source, {}, conversion);
        if (*progress)
            options->progress = [](std::int64_t done, std::int64_t total) {
                std::cout << "progress " << done << " " << total << std::endl;
            };
        const std::vector<TableCopy> copies = MergeArchive(*destination, *from, *options);
        for (const TableCopy& copy : copies) std::cout << DescribeTableCopy(copy) << "\n";
        if (MergeWasCancelled(copies)) {
            std::cout << "merge cancelled" << std::endl;
            std::exit(130);
        }
    });
}

}  // namespace zenta::cli
