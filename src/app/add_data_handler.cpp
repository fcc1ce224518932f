// Add data (`inmdb`): merges another archive, plain, compressed (.znt) or Jet, into the main
// archive; the progress form follows the work and its Cancel stops it (the merge keeps its
// whole batches), and the closing message tells the user to restart, whether the merge was
// cancelled, and what became of each table's rows. A file named on the command line comes here too.
#include <QCoreApplication>
#include <QFile>

#include <algorithm>
#include <memory>

#include "app/error_report.h"
#include "app/login.h"
#include "app/main_window.h"
#include "app/topic_list_model.h"
#include "base/errors.h"
#include "base/trim.h"
#include "import/archive_merge.h"
#include "import/merge_source.h"

namespace zenta {
namespace {

const QString kSelectFile = QStringLiteral("Please Select Target Data File！");
const QString kCollecting = QStringLiteral("Collecting Need A Few Time，Please Waiting... ...");
const QString kRestart =
    QStringLiteral("Date Collect Take Effect After Restart\rYou Can Collect Many Times Then Restart！");
const QString kCancelled = QStringLiteral("Date Collect Cancelled，The Rows Collected Before Are Kept");

// Cancel pressed while the source was unpacked or converted: nothing was merged.
class SourceCancelled : public Error {
public:
    SourceCancelled() : Error("the merge was cancelled") {}
};

// The progress form shows the rows done, and the window repaints meanwhile. With
// `stopOnCancel`, a Cancel ends the work by an error.
Progress ShowWorkProgress(Tlogin_dir* form, bool stopOnCancel = false) {
    return [form, stopOnCancel](std::int64_t done, std::int64_t total) {
        if (!form) return QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        form->ShowProgress(done, total);
        if (stopOnCancel && form->CancelRequested()) throw SourceCancelled();
    };
}

// Hides the progress form again however the work it follows ends.
class ProgressShown {
public:
    explicit ProgressShown(Tlogin_dir* form) : form_(form) {}
    ProgressShown(const ProgressShown&) = delete;
    ProgressShown& operator=(const ProgressShown&) = delete;
    ~ProgressShown() {
        if (form_) form_->hide();
    }

private:
    Tlogin_dir* form_;
};

// Keeps the window disabled while the rows are copied, and enables it however that ends.
class WindowDisabled {
public:
    explicit WindowDisabled(QWidget* window) : window_(window) { window_->setEnabled(false); }
    WindowDisabled(const WindowDisabled&) = delete;
    WindowDisabled& operator=(const WindowDisabled&) = delete;
    ~WindowDisabled() { window_->setEnabled(true); }

private:
    QWidget* window_;
};

}  // namespace

void Tindex::inmdbClick(QObject* /*Sender*/) {
    // The topic grid stays empty from here on, also when the dialog is cancelled.
    rs.Close();
    DataSource1->Reload();
    if (!OpenDialog1.Execute()) return ShowMessage(kSelectFile);
    const std::string fileName = Trim(QFile::encodeName(OpenDialog1.FileName).toStdString());
    if (fileName.empty()) return ShowMessage(kSelectFile);
    AddData(fileName);
}

void Tindex::AddData(const std::string& fileName) {
    // Unpacking, conversion and opening errors go to the default report; the window has not
    // been disabled yet, and the source connection is released on every path.
    std::unique_ptr<Connection> source;
    try {
        ProgressShown progress(login_dir);
        source = OpenMergeSource(fileName, ShowWorkProgress(login_dir, true));
    } catch (const SourceCancelled&) {
        return ShowMessage(kCancelled);
    }
    ShowMessage(kCollecting);
    std::vector<TableCopy> copies;
    {
        WindowDisabled disabled(this);
        ProgressShown progress(login_dir);
        MergeOptions options;
        options.progress = ShowWorkProgress(login_dir);
        if (login_dir) options.cancel = login_dir->CancelFlag();
        copies = MergeArchive(ADOConnection1, *source, options);
    }
    QString closing = MergeWasCancelled(copies) ? kCancelled + u'\r' + kRestart : kRestart;
    for (const TableCopy& copy : copies) closing += u'\r' + QString::fromStdString(DescribeTableCopy(copy));
    ShowMessage(closing);
}

}  // namespace zenta
