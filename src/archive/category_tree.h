// The board's category tree: a root, the categories nested to four levels, and the forums
// of the upper two category levels. Nodes carry their captions only (narrow text).
#pragma once

#include <string>
#include <vector>

namespace zenta {

class Connection;

struct TreeNode {
    std::string caption;
    std::vector<TreeNode> children;
};

inline constexpr const char* kTreeRootCaption = "RORUZA Zenta BBS";

// Runs a one-column statement and appends one child per row, captioned with the named
// column's text. A failure leaves the children appended so far and raises the error.
void AddNodesFromQuery(TreeNode& parent, Connection& connection, const std::string& statement,
                       const std::string& column);

// Builds the tree under `root` (whose caption it sets) from the archive. A failure leaves
// the nodes built so far in place and raises the error.
void BuildCategoryTree(Connection& connection, TreeNode& root);

}  // namespace zenta
