// Start-up of the main window: the two first navigations, the main archive (converted
// first when it is a Jet file) and the tree.
#include <QTreeWidget>

#include "app/login.h"
#include "app/main_window.h"
#include "archive/category_tree.h"
#include "archive/main_archive.h"
#include "base/codepage.h"
#include "browse/site_links.h"
#include "browse/web_browser.h"

namespace zenta {
namespace {

const char* const kNoArchiveMessage = "Please load Zenta Data Base To  Current Directory ！";

void CopyNodes(const TreeNode& node, QTreeWidgetItem* item) {
    for (const TreeNode& child : node.children) {
        auto* childItem = new QTreeWidgetItem(item, {QString::fromStdString(FromNarrow(child.caption))});
        CopyNodes(child, childItem);
    }
}

}  // namespace

void Tindex::FormCreate(QObject* /*Sender*/) {
    try {
        BrowserNavigate(WebBrowser1, QString::fromLatin1(kHomeAddress));
        BrowserNavigate(listinfo, QStringLiteral("about:Please Select Treeview Or Search Function!"));
        const std::string folder = folder_.toStdString();
        PrepareMainArchive(folder, [this](int64_t copied, int64_t total) {
            if (login_dir) login_dir->ShowProgress(copied, total);
        });
        if (login_dir) login_dir->hide();
        ADOConnection1.Open(MainArchivePath(folder));
        // Built apart and copied whole, so a partly built tree is never seen.
        TreeNode root;
        BuildCategoryTree(ADOConnection1, root);
        auto* top = new QTreeWidgetItem({QString::fromStdString(FromNarrow(root.caption))});
        CopyNodes(root, top);
        TreeView1->addTopLevelItem(top);
    } catch (...) {
        if (login_dir) login_dir->hide();
        ShowMessage(QString::fromUtf8(kNoArchiveMessage));
        terminationRequested_ = true;
    }
}

}  // namespace zenta
