// Start-up of the main window: the two first navigations, the main archive (named, or found in
// the usual places; converted first when it is a Jet file), the tree, and the offer to add the
// data of a file named on the command line.
#include <QFile>
#include <QTreeWidget>

#include "app/login.h"
#include "app/main_window.h"
#include "archive/category_tree.h"
#include "archive/main_archive.h"
#include "base/codepage.h"
#include "base/executable_dir.h"
#include "import/startup_files.h"
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
        if (places_.empty()) places_ = MainArchivePlaces(ExecutableDirectory());
        const StartupFiles files = ChooseStartupFiles(QFile::encodeName(named_).toStdString(), places_);
        PrepareMainArchive(files.mainArchive, [this](int64_t copied, int64_t total) {
            if (login_dir) login_dir->ShowProgress(copied, total);
        });
        if (login_dir) login_dir->hide();
        ADOConnection1.Open(files.mainArchive);
        // Built apart and copied whole, so a partly built tree is never seen.
        TreeNode root;
        BuildCategoryTree(ADOConnection1, root);
        auto* top = new QTreeWidgetItem({QString::fromStdString(FromNarrow(root.caption))});
        CopyNodes(root, top);
        TreeView1->addTopLevelItem(top);
        dataToAdd_ = QFile::decodeName(files.dataToAdd.c_str());
    } catch (const std::exception& error) {
        if (login_dir) login_dir->hide();
        ShowMessage(QString::fromUtf8(kNoArchiveMessage) + u'\r' + QString::fromUtf8(error.what()));
        terminationRequested_ = true;
    } catch (...) {
        if (login_dir) login_dir->hide();
        ShowMessage(QString::fromUtf8(kNoArchiveMessage));
        terminationRequested_ = true;
    }
}

void Tindex::OfferDataToAdd() {
    if (dataToAdd_.isEmpty()) return;
    const QString question = QStringLiteral("Add the data of \"%1\" to the main archive?").arg(dataToAdd_);
    if (AskQuestion(question)) AddData(QFile::encodeName(dataToAdd_).toStdString());
}

}  // namespace zenta
