// zenta-cli list ARCHIVE CAPTION and zenta-cli search ARCHIVE (--title|--author) WORDS:
// the topic rows a forum click or a search shows, as JSON Lines.
#include <CLI/CLI.hpp>

#include <iostream>

#include "archive/query.h"
#include "archive/topic_list.h"
#include "base/codepage.h"
#include "base/errors.h"
#include "cli/archive_argument.h"
#include "cli/commands.h"
#include "cli/json_rows.h"

namespace zenta::cli {

void AddListCommand(CLI::App& app) {
    auto* command = app.add_subcommand("list", "List the topics of the forums named CAPTION; rows as JSON Lines");
    auto archive = std::make_shared<std::string>();
    auto caption = std::make_shared<std::string>();
    command->add_option("ARCHIVE", *archive, "The archive file")->required();
    command->add_option("CAPTION", *caption, "The forum node's caption (UTF-8; trimmed)")->required();
    command->callback([archive, caption] {
        auto connection = OpenArchiveArgument(*archive);
        Query rs;
        ListForumTopics(rs, *connection, ToNarrow(*caption));
        WriteRowsAsJsonLines(rs, std::cout);
    });
}

void AddSearchCommand(CLI::App& app) {
    auto* command = app.add_subcommand("search", "Search the topics by title or author; rows as JSON Lines");
    auto archive = std::make_shared<std::string>();
    auto words = std::make_shared<std::string>();
    auto byTitle = std::make_shared<bool>(false);
    auto byAuthor = std::make_shared<bool>(false);
    command->add_option("ARCHIVE", *archive, "The archive file")->required();
    auto* condition = command->add_option_group("condition", "What the words are matched against");
    condition->add_flag("--title", *byTitle, "Match the topics' titles");
    condition->add_flag("--author", *byAuthor, "Match the authors' names");
    condition->require_option(1);
    command->add_option("WORDS", *words, "The words (UTF-8; trimmed; % and _ are wildcards)")->required();
    // The callback keeps both flags alive: the parser writes them after this function returns.
    command->callback([archive, words, byTitle, byAuthor] {
        auto connection = OpenArchiveArgument(*archive);
        Query rs;
        if (!SearchTopics(rs, *connection, *byAuthor ? SearchBy::Author : SearchBy::Title, ToNarrow(*words)))
            throw Error("Please Input Query Condition，Thanks!");
        WriteRowsAsJsonLines(rs, std::cout);
    });
}

}  // namespace zenta::cli
