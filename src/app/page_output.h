// Printing and saving the page a web view shows: Print through Qt's print dialog, Save as
// PDF, and Save as HTML, written as UTF-8 with its charset declared so that any browser reads
// it as it was shown (the archive's pages carry no charset of their own). Work that fails
// says so in a box and leaves any earlier file untouched. The dialogs can be answered by a
// function instead, as tests do.
#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class QPrinter;
class QWidget;

namespace zenta {

class WebBrowser;

class PageOutput : public QObject {
    Q_OBJECT

public:
    // Sets up the printer; false: cancelled.
    using PrinterAnswer = std::function<bool(QPrinter& printer)>;
    // The file to write, given the dialog's caption, a suggested name and its filter; empty: cancelled.
    using FileAnswer = std::function<QString(const QString& caption, const QString& suggested, const QString& filter)>;

    explicit PageOutput(QWidget* parent);
    ~PageOutput() override;

    void Print(WebBrowser* view);
    void SaveAsPdf(WebBrowser* view);
    void SaveAsHtml(WebBrowser* view);

    void SetPrinterAnswer(PrinterAnswer answer) { printerAnswer_ = std::move(answer); }
    void SetFileAnswer(FileAnswer answer) { fileAnswer_ = std::move(answer); }

signals:
    // A print or a file is done (or failed, which a box has said).
    void finished(bool ok);

private:
    QString AskFile(WebBrowser* view, const QString& caption, const QString& extension, const QString& filter);

    QWidget* parent_;
    PrinterAnswer printerAnswer_;
    FileAnswer fileAnswer_;
    // The printer of the print under way; the engine prints in the background.
    std::unique_ptr<QPrinter> printer_;
};

// The page's HTML as a UTF-8 file: a charset declaration first in its head.
QByteArray AsUtf8Document(const QString& html);

}  // namespace zenta
