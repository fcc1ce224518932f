// Printing and saving a web view's page; see page_output.h.
#include "app/page_output.h"

#include <QDir>
#include <QFileDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QRegularExpression>
#include <QSaveFile>
#include <QWebEnginePage>

#include "app/error_report.h"
#include "browse/web_browser.h"

namespace zenta {
namespace {

const char* const kUtf8Declaration = "<meta charset=\"utf-8\">";

// A file name made of the page's title, without what file systems refuse.
QString SuggestedName(WebBrowser* view, const QString& extension) {
    QString name = view->title().trimmed();
    name.replace(QRegularExpression(QStringLiteral("[\\\\/:*?\"<>|\\x00-\\x1f]")), QStringLiteral("_"));
    if (name.isEmpty() || name.startsWith(QLatin1String("zenta-page"))) name = QStringLiteral("page");
    return QDir::home().filePath(name.left(80) + extension);
}

}  // namespace

QByteArray AsUtf8Document(const QString& html) {
    // Before anything else in the head, so it wins over a charset the page declared.
    static const QRegularExpression head(QStringLiteral("<head(\\s[^>]*)?>"),
                                         QRegularExpression::CaseInsensitiveOption);
    QString document = html;
    const QRegularExpressionMatch found = head.match(document);
    const int at = found.hasMatch() ? found.capturedEnd() : 0;
    document.insert(at, QLatin1String(kUtf8Declaration));
    return document.toUtf8();
}

PageOutput::PageOutput(QWidget* parent) : QObject(parent), parent_(parent) {}

PageOutput::~PageOutput() = default;

QString PageOutput::AskFile(WebBrowser* view, const QString& caption, const QString& extension,
                            const QString& filter) {
    const QString suggested = SuggestedName(view, extension);
    if (fileAnswer_) return fileAnswer_(caption, suggested, filter);
    return QFileDialog::getSaveFileName(parent_, caption, suggested, filter);
}

void PageOutput::Print(WebBrowser* view) {
    if (printer_) return;  // one print at a time
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    if (printerAnswer_) {
        if (!printerAnswer_(*printer)) return;
    } else {
        QPrintDialog dialog(printer.get(), parent_);
        if (dialog.exec() != QDialog::Accepted) return;
    }
    printer_ = std::move(printer);
    connect(
        view, &QWebEngineView::printFinished, this,
        [this](bool ok) {
            printer_.reset();
            if (!ok) ShowMessage(QStringLiteral("打印失败。Printing failed."), MessageIcon::Warning);
            emit finished(ok);
        },
        Qt::SingleShotConnection);
    view->print(printer_.get());
}

void PageOutput::SaveAsPdf(WebBrowser* view) {
    const QString file = AskFile(view, QStringLiteral("Save as PDF"), QStringLiteral(".pdf"),
                                 QStringLiteral("PDF (*.pdf)"));
    if (file.isEmpty()) return;
    connect(
        view->page(), &QWebEnginePage::pdfPrintingFinished, this,
        [this](const QString& path, bool ok) {
            if (!ok) ShowMessage(QStringLiteral("无法保存: ") + path, MessageIcon::Warning);
            emit finished(ok);
        },
        Qt::SingleShotConnection);
    view->printToPdf(file);
}

void PageOutput::SaveAsHtml(WebBrowser* view) {
    const QString file = AskFile(view, QStringLiteral("Save as HTML"), QStringLiteral(".html"),
                                 QStringLiteral("HTML (*.html *.htm)"));
    if (file.isEmpty()) return;
    view->page()->toHtml([this, file](const QString& html) {
        // Written whole or not at all: an earlier file of that name stays on a failure.
        QSaveFile out(file);
        const bool ok = out.open(QIODevice::WriteOnly) && out.write(AsUtf8Document(html)) >= 0 && out.commit();
        if (!ok) ShowMessage(QStringLiteral("无法保存: ") + file + QStringLiteral(": ") + out.errorString(),
                             MessageIcon::Warning);
        emit finished(ok);
    });
}

}  // namespace zenta
