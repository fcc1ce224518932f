// zenta-cli sql ARCHIVE STATEMENT: one Jet statement, run as the program runs its own.
#include <CLI/CLI.hpp>

#include <iostream>

#include "archive/query.h"
#include "base/codepage.h"
#include "cli/archive_argument.h"
#include "cli/commands.h"
#include "cli/json_rows.h"

namespace zenta::cli {

void AddSqlCommand(CLI::App& app) {
    auto* command = app.add_subcommand("sql", "Run one statement in the board's Jet dialect; rows as JSON Lines");
    auto archive = std::make_shared<std::string>();
    auto statement = std::make_shared<std::string>();
    command->add_option("ARCHIVE", *archive, "The archive file")->required();
    command->add_option("STATEMENT", *statement, "The statement (UTF-8)")->required();
    command->callback([archive, statement] {
        auto connection = OpenArchiveArgument(*archive);
        Query query(connection.get());
        query.SQL().Add(ToNarrow(*statement));
        query.Open();
        WriteRowsAsJsonLines(query, std::cout);
    });
}

}  // namespace zenta::cli
