// zenta-cli generate PATH: a new archive of a made-up board.
#include <CLI/CLI.hpp>

#include <iostream>

#include "archive/board_generator.h"
#include "cli/commands.h"

namespace zenta::cli {

void AddGenerateCommand(CLI::App& app) {
    auto* command = app.add_subcommand("generate", "Write a new archive of a made-up board (never overwrites)");
    auto path = std::make_shared<std::string>();
    auto shape = std::make_shared<BoardShape>();
    auto facts = std::make_shared<bool>(false);
    command->add_option("PATH", *path, "The archive to create")->required();
    command->add_option("--topics", shape->topics, "Number of topics")->required()->check(CLI::NonNegativeNumber);
    command->add_option("--replies", shape->replies, "Number of replies (default: three per topic)")
        ->check(CLI::NonNegativeNumber);
    command->add_option("--categories", shape->categories, "Number of categories (default: grows with the topics)")
        ->check(CLI::PositiveNumber);
    command->add_option("--forums", shape->forums, "Number of forums (default: grows with the topics)")
        ->check(CLI::PositiveNumber);
    command->add_option("--seed", shape->seed, "Seed: the same seed gives the same archive");
    command->add_flag("--facts", *facts, "Print the largest forum and the busiest topic as JSON");
    command->callback([path, shape, facts] {
        BoardFacts made = GenerateBoardArchive(*path, *shape);
        if (*facts)
            std::cout << "{\"largest_forum\":\"" << made.largestForum
                      << "\",\"largest_forum_topics\":" << made.largestForumTopics
                      << ",\"busiest_topic\":" << made.busiestTopic
                      << ",\"busiest_topic_replies\":" << made.busiestTopicReplies << "}\n";
    });
}

}  // namespace zenta::cli
