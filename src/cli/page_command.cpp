// zenta-cli page ARCHIVE TOPIC_ID: the topic page, byte for byte as the info view receives it.
#include <CLI/CLI.hpp>

#include <iostream>

#include "archive/query.h"
#include "archive/topic_list.h"
#include "base/codepage.h"
#include "base/errors.h"
#include "cli/archive_argument.h"
#include "cli/commands.h"
#include "render/topic_page.h"

namespace zenta::cli {

void AddPageCommand(CLI::App& app) {
    auto* command = app.add_subcommand("page", "Write the page of one topic (GB18030 unless --utf8) to stdout");
    auto archive = std::make_shared<std::string>();
    auto topicId = std::make_shared<std::int64_t>(0);
    auto utf8 = std::make_shared<bool>(false);
    command->add_option("ARCHIVE", *archive, "The archive file")->required();
    command->add_option("TOPIC_ID", *topicId, "The topic's TOPIC_ID")->required();
    command->add_flag("--utf8", *utf8, "Convert the page to UTF-8");
    command->callback([archive, topicId, utf8] {
        auto connection = OpenArchiveArgument(*archive);
        Query rs;
        OpenTopicRow(rs, *connection, *topicId);
        if (rs.Eof())
            throw Error("No listed topic has TOPIC_ID " + std::to_string(*topicId) +
                        " (there is no such topic, or its author has no member row)");
        std::string page = MakeTopicPage(*connection, ReadTopicRow(rs));
        std::cout << (*utf8 ? FromNarrow(page) : page);
    });
}

}  // namespace zenta::cli
