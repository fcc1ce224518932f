// zenta-cli tree ARCHIVE: the category tree, one node a line, two spaces a level.
#include <CLI/CLI.hpp>

#include <iostream>

#include "archive/category_tree.h"
#include "base/codepage.h"
#include "cli/archive_argument.h"
#include "cli/commands.h"

namespace zenta::cli {
namespace {

void Print(const TreeNode& node, int level, std::string& out) {
    out.append(2 * level, ' ');
    out += FromNarrow(node.caption);
    out += '\n';
    for (const TreeNode& child : node.children) Print(child, level + 1, out);
}

}  // namespace

void AddTreeCommand(CLI::App& app) {
    auto* command = app.add_subcommand("tree", "Print the category tree, one node a line");
    auto archive = std::make_shared<std::string>();
    command->add_option("ARCHIVE", *archive, "The archive file")->required();
    command->callback([archive] {
        auto connection = OpenArchiveArgument(*archive);
        TreeNode root;
        BuildCategoryTree(*connection, root);
        // Nothing reaches stdout unless the whole tree was built.
        std::string out;
        Print(root, 0, out);
        std::cout << out;
    });
}

}  // namespace zenta::cli
