#include "archive/category_tree.h"

#include "archive/query.h"

namespace zenta {
namespace {

void Load(Query& query, const std::string& statement) {
    query.Close();
    query.SQL().Clear();
    query.SQL().Add(statement);
    query.Open();
}

std::string ForumStatement(const std::string& key) {
    return "select F_SUBJECT from FORUM_FORUM where cat_id=" + key + " order by FORUM_id";
}

std::string SubcategoryStatement(const std::string& key) {
    return "select cat_id,cat_name from FORUM_CATEGORY where cat_pid=" + key + " order by cat_id";
}

std::string DeepSubcategoryStatement(const std::string& key) {
    return "select cat_id,cat_name from FORUM_CATEGORY   where cat_pid=" + key + " order by cat_id";
}

TreeNode& Append(TreeNode& parent, std::string caption) {
    parent.children.push_back(TreeNode{std::move(caption), {}});
    return parent.children.back();
}

}  // namespace

void AddNodesFromQuery(TreeNode& parent, Connection& connection, const std::string& statement,
                       const std::string& column) {
    Query query(&connection);
    Load(query, statement);
    for (; !query.Eof(); query.Next()) Append(parent, query.FieldByName(column).AsString());
    query.Close();
}

void BuildCategoryTree(Connection& connection, TreeNode& root) {
    // One query per category level, each reused for every parent on its level.
    Query q1(&connection), q2(&connection), q3(&connection), q4(&connection);
    root.caption = kTreeRootCaption;
    root.children.clear();
    Load(q1, "select cat_id,cat_name from FORUM_CATEGORY where cat_pid=0 order by cat_order,cat_id");
    for (; !q1.Eof(); q1.Next()) {
        TreeNode& level1 = Append(root, q1.FieldByName("cat_name").AsString());
        AddNodesFromQuery(level1, connection, ForumStatement(q1.FieldByName("cat_id").AsString()), "F_SUBJECT");
        Load(q2, SubcategoryStatement(q1.FieldByName("cat_id").AsString()));
        for (; !q2.Eof(); q2.Next()) {
            TreeNode& level2 = Append(level1, q2.FieldByName("cat_name").AsString());
            AddNodesFromQuery(level2, connection, ForumStatement(q2.FieldByName("cat_id").AsString()), "F_SUBJECT");
            Load(q3, SubcategoryStatement(q2.FieldByName("cat_id").AsString()));
            for (; !q3.Eof(); q3.Next()) {
                TreeNode& level3 = Append(level2, q3.FieldByName("cat_name").AsString());
                Load(q4, DeepSubcategoryStatement(q3.FieldByName("cat_id").AsString()));
                for (; !q4.Eof(); q4.Next()) Append(level3, q4.FieldByName("cat_name").AsString());
                q4.Close();
            }
            q3.Close();
        }
        q2.Close();
    }
    q1.Close();
}

}  // namespace zenta
