// The category tree: levels, orders, forums only under the upper two levels, nothing below four.
#include <gtest/gtest.h>

#include "archive/category_tree.h"
#include "archive/connection.h"
#include "base/codepage.h"
#include "base/errors.h"
#include "support/test_archive.h"

namespace zenta {
namespace {

// A board with the shapes that matter: ties on cat_order, subcategories whose cat_order runs
// against cat_id, five levels, an orphan, quotes and blanks in names, forums on every level.
const char* const kBoard = R"(
INSERT INTO FORUM_CATEGORY (cat_id, cat_name, cat_pid, cat_order) VALUES
  (2, 'C++ Builder 专区', 0, 10), (9, 'Linux 与 Kylix', 0, 20), (4, '数据库开发', 0, 20), (1, 'Delphi 技术讨论', 0, 30),
  (12, '  数据库与报表  ', 1, 2), (13, '网络编程', 1, 1), (11, 'VCL 组件', 1, 3),
  (21, '第三方控件', 11, 0), (22, 'Tom''s 控件包', 11, 0), (31, '第四层', 21, 0), (41, '第五层', 31, 0),
  (99, '孤儿分类', 77, 0), (98, '孤儿的孩子', 99, 0), (5, '空分类', 0, 60);
INSERT INTO FORUM_FORUM (FORUM_ID, CAT_ID, F_SUBJECT) VALUES
  (2, 1, 'Delphi''s Tips'), (1, 1, 'Delphi 基础'), (3, 2, 'BCB 综合'), (8, 11, 'VCL 组件开发'), (9, 12, '数据库编程'),
  (13, 21, '三层论坛'), (14, 31, '四层论坛'), (16, 41, '五层论坛'), (15, 99, '孤儿论坛'), (17, 9, ' 空格论坛 ');
)";

const char* const kExpected = R"(RORUZA Zenta BBS
  C++ Builder 专区
    BCB 综合
  数据库开发
  Linux 与 Kylix
     空格论坛 
  Delphi 技术讨论
    Delphi 基础
    Delphi's Tips
    VCL 组件
      VCL 组件开发
      第三方控件
        第四层
      Tom's 控件包
      数据库与报表  
      数据库编程
    网络编程
  空分类
)";

std::string Print(const TreeNode& node, int level = 0) {
    std::string out = std::string(2 * level, ' ') + FromNarrow(node.caption) + "\n";
    for (const TreeNode& child : node.children) out += Print(child, level + 1);
    return out;
}

TEST(CategoryTree, FollowsTheBoardsOrderAndLevelRules) {
    test::TempDir dir;
    std::string path = dir.File("board.mdb");
    test::MakeArchive(path, kBoard);
    Connection connection(path);
    TreeNode root;
    BuildCategoryTree(connection, root);
    EXPECT_EQ(Print(root), kExpected);
}

TEST(CategoryTree, AnEmptyBoardGivesTheRootAlone) {
    test::TempDir dir;
    test::MakeArchive(dir.File("empty.mdb"));
    Connection connection(dir.File("empty.mdb"));
    TreeNode root;
    BuildCategoryTree(connection, root);
    EXPECT_EQ(Print(root), "RORUZA Zenta BBS\n");
}

TEST(CategoryTree, AMissingForumTableFailsTheBuildAndKeepsWhatWasBuilt) {
    test::TempDir dir;
    std::string path = dir.File("broken.mdb");
    test::MakeArchive(path, std::string(kBoard) + "DROP TABLE FORUM_FORUM;");
    Connection connection(path);
    TreeNode root;
    EXPECT_THROW(BuildCategoryTree(connection, root), DatabaseError);
    EXPECT_EQ(Print(root), "RORUZA Zenta BBS\n  C++ Builder 专区\n");
}

TEST(CategoryTree, ACategoryTableWithoutItsColumnsFailsTheBuild) {
    test::TempDir dir;
    std::string path = dir.File("nocol.mdb");
    test::MakeArchive(
        path,
        "DROP TABLE FORUM_CATEGORY; CREATE TABLE FORUM_CATEGORY (cat_id INTEGER, cat_pid INTEGER, cat_order INTEGER);"
        "INSERT INTO FORUM_CATEGORY VALUES (1, 0, 0);");
    Connection connection(path);
    TreeNode root;
    EXPECT_THROW(BuildCategoryTree(connection, root), DatabaseError);
}

}  // namespace
}  // namespace zenta
