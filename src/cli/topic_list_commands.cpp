// zenta-cli list ARCHIVE CAPTION and zenta-cli search ARCHIVE (--title|--author|--content) WORDS:
// the topic rows a forum click or a search shows, as JSON Lines; a content search's rows come
// best first, each with the snippet of where the words were found.
#include <CLI/CLI.hpp>

#include <iostream>

#include "archive/content_search.h"
#include "archive/query.h"
#include "archive/topic_list.h"
#include "base/codepage.h"
#include "base/errors.h"
#include "base/trim.h"
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
    auto byContent = std::make_shared<bool>(false);
    auto scan = std::make_shared<bool>(false);
    auto limit = std::make_shared<std::int64_t>(-1);
    command->add_option("ARCHIVE", *archive, "The archive file")->required();
    auto* condition = command->add_option_group("condition", "What the words are matched against");
    condition->add_flag("--title", *byTitle, "Match the topics' titles");
    condition->add_flag("--author", *byAuthor, "Match the authors' names");
    condition->add_flag("--content", *byContent,
                        "Match the titles, messages and replies: every word (separated by blanks) somewhere in "
                        "the topic, each taken literally, ASCII letters without regard to case");
    condition->require_option(1);
    command->add_option("WORDS", *words, "The words (UTF-8; trimmed; % and _ are wildcards, except with --content)")
        ->required();
    command->add_option("--limit", *limit, "With --content: at most this many topics, the best")
        ->check(CLI::NonNegativeNumber);
    command->add_flag("--scan", *scan, "With --content: read every text instead of the index (slow)");
    // The callback keeps the flags alive: the parser writes them after this function returns.
    command->callback([archive, words, byTitle, byAuthor, byContent, scan, limit] {
        auto connection = OpenArchiveArgument(*archive);
        Query rs;
        if (*byContent) {
            std::string narrow = ToNarrow(*words);
            if (Trim(narrow).empty()) throw Error("Please Input Query Condition，Thanks!");
            std::vector<std::int64_t> topics =
                SearchContent(*connection, narrow, *scan ? ContentSearchWay::Scan : ContentSearchWay::Index, *limit);
            ListTopicsInOrder(rs, *connection, topics);
            WriteRowsAsJsonLines(rs, std::cout, {"snippet", [&](const Query& row) {
                                                     std::int64_t topic = row.FieldByName("TOPIC_ID").integer();
                                                     return FromNarrow(ContentSnippet(*connection, topic, narrow));
                                                 }});
            return;
        }
        if (!SearchTopics(rs, *connection, *byAuthor ? SearchBy::Author : SearchBy::Title, ToNarrow(*words)))
            throw Error("Please Input Query Condition，Thanks!");
        WriteRowsAsJsonLines(rs, std::cout);
    });
}

}  // namespace zenta::cli
