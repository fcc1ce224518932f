// Printing and saving on the real window, with the dialogs answered: Save as HTML writes
// UTF-8 with its charset declared (a view that reads undeclared pages as GB18030 shows the
// saved file as it was shown), Print and Save as PDF write PDF files, a cancelled dialog
// writes nothing, and a file that cannot be written is reported.
#include <QFile>
#include <QPrinter>
#include <QSignalSpy>

#include "app/page_output.h"
#include "app/reading_aids.h"
#include "base/codepage.h"
#include "browse/info_view_loader.h"
#include "browse/web_browser.h"
#include "ui_test_support.h"

using namespace zenta;
using namespace zenta::test;

namespace {

QByteArray Read(const std::string& path) {
    QFile file(QString::fromStdString(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A shown window with a topic-like page (GB18030, no charset) in its info view, on top.
struct TopicShown : StartedWindow {
    TopicShown() {
        window->show();
        QVERIFY(WaitForFirstPages() && QTest::qWaitForWindowActive(window.get()));
        SelectPageByUser(*window, 1);
        LoadHtmlIntoBrowser(window->listinfo,
                            ToNarrow("<html><head><title>话题</title></head><body><h1>中文标题</h1>正文</body></html>"));
        QVERIFY(WaitForLoad(window->listinfo));
    }
    void Press(Qt::Key key, Qt::KeyboardModifiers modifiers) {
        QWidget* target = QApplication::focusWidget();
        QTest::keyClick(target ? target : window.get(), key, modifiers);
    }
    PageOutput& output() { return *window->aids->output; }
};

}  // namespace

class PageOutputTest : public QObject {
    Q_OBJECT

private slots:
    void htmlIsSavedAsDeclaredUtf8();
    void printAndPdfWritePdfFiles();
    void cancelledOrUnwritableSavesNothing();
};

void PageOutputTest::htmlIsSavedAsDeclaredUtf8() {
    TopicShown shown;
    TempDir out;
    const std::string file = out.File("topic.html");
    shown.output().SetFileAnswer([&](const QString&, const QString&, const QString&) {
        return QString::fromStdString(file);
    });
    QSignalSpy done(&shown.output(), &PageOutput::finished);
    shown.Press(Qt::Key_S, Qt::ControlModifier);
    QVERIFY(done.wait());
    QCOMPARE(done.at(0).at(0).toBool(), true);
    const QByteArray saved = Read(file);
    QVERIFY(saved.contains("<head><meta charset=\"utf-8\">"));
    QVERIFY(saved.contains(QStringLiteral("中文标题").toUtf8()));

    WebBrowser reader;
    reader.Navigate(QString::fromStdString(file));
    QVERIFY(WaitForLoad(&reader));
    QVERIFY(PageText(&reader).contains(QStringLiteral("中文标题")));

    // A charset the page declared itself comes after ours and does not count.
    QCOMPARE(AsUtf8Document(QStringLiteral("<HTML><HEAD lang=zh><meta charset=gbk></HEAD></HTML>")),
             QByteArray("<HTML><HEAD lang=zh><meta charset=\"utf-8\"><meta charset=gbk></HEAD></HTML>"));
    QCOMPARE(AsUtf8Document(QStringLiteral("<p>no head</p>")), QByteArray("<meta charset=\"utf-8\"><p>no head</p>"));
}

void PageOutputTest::printAndPdfWritePdfFiles() {
    TopicShown shown;
    TempDir out;
    shown.output().SetPrinterAnswer([&](QPrinter& printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(out.File("printed.pdf")));
        return true;
    });
    shown.output().SetFileAnswer([&](const QString&, const QString& suggested, const QString&) {
        return suggested.endsWith(QLatin1String(".pdf")) ? QString::fromStdString(out.File("saved.pdf")) : QString();
    });
    struct Case {
        const char* name;
        Qt::KeyboardModifiers modifiers;
        Qt::Key key;
        const char* file;
    };
    const Case cases[] = {{"Ctrl+P prints", Qt::ControlModifier, Qt::Key_P, "printed.pdf"},
                          {"Ctrl+Shift+S saves a PDF", Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_S,
                           "saved.pdf"}};
    for (const Case& c : cases) {
        QSignalSpy done(&shown.output(), &PageOutput::finished);
        shown.Press(c.key, c.modifiers);
        QVERIFY2(done.wait(30000), c.name);
        QVERIFY2(done.at(0).at(0).toBool(), c.name);
        QVERIFY2(Read(out.File(c.file)).startsWith("%PDF"), c.name);
    }
    QVERIFY(shown.messages.messages.empty());
}

void PageOutputTest::cancelledOrUnwritableSavesNothing() {
    TopicShown shown;
    TempDir out;
    QString answer;
    shown.output().SetFileAnswer([&](const QString&, const QString&, const QString&) { return answer; });
    shown.output().SetPrinterAnswer([](QPrinter&) { return false; });
    QSignalSpy done(&shown.output(), &PageOutput::finished);
    shown.Press(Qt::Key_S, Qt::ControlModifier);
    shown.Press(Qt::Key_P, Qt::ControlModifier);
    QTest::qWait(500);
    QCOMPARE(done.count(), 0);

    answer = QString::fromStdString(out.File("no such folder/topic.html"));
    shown.Press(Qt::Key_S, Qt::ControlModifier);
    QVERIFY(done.wait());
    QCOMPARE(done.at(0).at(0).toBool(), false);
    QCOMPARE(shown.messages.messages.size(), size_t(1));
    QVERIFY(shown.messages.messages[0].text.contains(answer));
}

ZENTA_UI_TEST_MAIN(PageOutputTest)
#include "page_output_test.moc"
