#include "serve/tree_page.h"

#include "archive/category_tree.h"
#include "base/codepage.h"
#include "serve/html.h"

namespace zenta::serve {
namespace {

// The level from which a node's caption lists topics, as in the window.
constexpr int kFirstListedLevel = 2;

void AddNode(const TreeNode& node, int level, std::string& page) {
    std::string caption = FromNarrow(node.caption);
    page += "<li>";
    if (level >= kFirstListedLevel) {
        page += "<a href=\"/forum?caption=" + EncodeUrlComponent(caption) + "\">" + EscapeHtml(caption) + "</a>";
    } else {
        page += EscapeHtml(caption);
    }
    if (!node.children.empty()) {
        page += "<ul class=\"tree\">";
        for (const TreeNode& child : node.children) AddNode(child, level + 1, page);
        page += "</ul>";
    }
    page += "</li>\n";
}

}  // namespace

std::string TreePage(Connection& connection) {
    TreeNode root;
    BuildCategoryTree(connection, root);
    std::string page = PageStart(kTreeRootCaption);
    page += "<ul class=\"tree root\">";
    AddNode(root, 0, page);
    page += "</ul>";
    return page + PageEnd();
}

}  // namespace zenta::serve
