// Start-up of the main window: the two first navigations, the main archive (named, or found in
// the usual places; converted first when it is a Jet file, behind the progress form, whose Cancel
// ends the start-up), the tree, and the offer to add the data of a file named on the command
// line. A failure shows the one message with its reason on a second line.
#include <QFile>
#include <QTreeWidget>

#include "app/login.h"
#include "app/main_window.h"
#include "archive/category_tree.h"
#include "archive/main_archive.h"
#include "base/codepage.h"
#include "base/errors.h"
#include "base/executable_dir.h"
#include "import/startup_files.h"
#include "browse/site_links.h"
#include "browse/web_browser.h"

namespace zenta {
namespace {

const char* const kNoArchiveMessage = "Please load Zenta Data Base To  Current Directory ！";

// The reason line: the engine's or the converter's words, with the file they concern.
QString FailureReason(const std::string& mainArchive, const std::string& words) {
    const bool named = mainArchive.empty() || words.find(mainArchive) != std::string::npos;
    std::string reason = named ? words : '"' + mainArchive + "\": " + words;
    return QString::fromStdString(reason);
}

void CopyNodes(const TreeNode& node, QTreeWidgetItem* item) {
    for (const TreeNode& child : node.children) {
        auto* childItem = new QTreeWidgetItem(item, {QString::fromStdString(FromNarrow(child.caption))});
        CopyNodes(child, childItem);
    }
}

}  // namespace

void Tindex::FormCreate(QObject* /*Sender*/) {
    std::string mainArchive;  // known once the start-up has chosen it
    try {
        BrowserNavigate(WebBrowser1, QString::fromLatin1(kHomeAddress));
        BrowserNavigate(listinfo, QStringLiteral("about:Please Select Treeview Or Search Function!"));
        if (places_.empty()) places_ = MainArchivePlaces(ExecutableDirectory());
        const StartupFiles files = ChooseStartupFiles(QFile::encodeName(named_).toStdString(), places_);
        mainArchive = files.mainArchive;
        PrepareMainArchive(files.mainArchive, [this](int64_t copied, int64_t total) {
            if (!login_dir) return;
            login_dir->ShowProgress(copied, total);
            // The conversion leaves the Jet file as it was; the window cannot start without it.
            if (login_dir->CancelRequested()) throw Error("the conversion was cancelled");
        });
        if (login_dir) login_dir->hide();
        OpenMainArchive(ADOConnection1, files.mainArchive);
        // Built apart and copied whole, so a partly built tree is never seen.
        TreeNode root;
        BuildCategoryTree(ADOConnection1, root);
        auto* top = new QTreeWidgetItem({QString::fromStdString(FromNarrow(root.caption))});
        CopyNodes(root, top);
        TreeView1->addTopLevelItem(top);
        dataToAdd_ = QFile::decodeName(files.dataToAdd.c_str());
    } catch (const std::exception& error) {
        FailStartUp(QString::fromUtf8(kNoArchiveMessage) + u'\r' + FailureReason(mainArchive, error.what()));
    } catch (...) {
        FailStartUp(QString::fromUtf8(kNoArchiveMessage));
    }
}

void Tindex::OfferDataToAdd() {
    if (dataToAdd_.isEmpty()) return;
    const QString question = QStringLiteral("Add the data of \"%1\" to the main archive?").arg(dataToAdd_);
    if (AskQuestion(question)) AddData(QFile::encodeName(dataToAdd_).toStdString());
}

void Tindex::FailStartUp(const QString& message) {
    if (login_dir) login_dir->hide();
    ShowMessage(message);
    terminationRequested_ = true;
}

}  // namespace zenta
