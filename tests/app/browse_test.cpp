// The browsing commands on the real window: Connect, Open, Back and Forward, the site
// links, and where new windows asked for by pages go.
#include <QDesktopServices>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabBar>
#include <QTreeWidget>
#include <QWebEngineHistory>

#include <fstream>

#include "app/page_control.h"
#include "app/status_panel.h"
#include "browse/web_browser.h"
#include "browse/info_view_loader.h"
#include "ui_test_support.h"

using namespace zenta;
using namespace zenta::test;

namespace {

const QString kThanks = QStringLiteral("Thanks For Using Zenta");

// Writes a small page into the folder and returns its path.
QString WritePage(const TempDir& folder, const std::string& name, const std::string& html) {
    std::ofstream(folder.File(name)) << html;
    return QString::fromStdString(folder.File(name));
}

// Receives the addresses handed to the desktop's web browser.
class DesktopBrowser : public QObject {
    Q_OBJECT

public:
    explicit DesktopBrowser(const QString& scheme) : scheme_(scheme) {
        QDesktopServices::setUrlHandler(scheme_, this, "open");
    }
    ~DesktopBrowser() override { QDesktopServices::unsetUrlHandler(scheme_); }
    QList<QUrl> opened;

public slots:
    void open(const QUrl& url) { opened << url; }

private:
    QString scheme_;
};

}  // namespace

class BrowseTest : public QObject {
    Q_OBJECT

private slots:
    void connectNavigatesAsTypedAndShowsTheTrimmedAddress_data();
    void connectNavigatesAsTypedAndShowsTheTrimmedAddress();
    void enterInTheAddressBoxDoesNotNavigate();
    void openConfirmedNavigatesAndCancelledDoesNothing();
    void backAndForwardMoveThroughHistoryAndStaySilentAtItsEnds();
    void siteLinkChosenWithTheKeyboardPutsTheBrowserOnTop();
    void newWindowOfTheMainBrowserGoesToAHiddenBrowser();
    void newWindowOfTheInfoViewOpensInTheDesktopBrowser();
};

void BrowseTest::connectNavigatesAsTypedAndShowsTheTrimmedAddress_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("status");
    QTest::addColumn<bool>("navigates");
    QTest::newRow("empty box: nothing") << QString() << kThanks << false;
    QTest::newRow("blanks only") << QStringLiteral("   ") << QStringLiteral("Connecting  ......") << true;
    QTest::newRow("blanks and a tab around the address")
        << QStringLiteral(" \t%1  ") << QStringLiteral("Connecting %1 ......") << true;
}

void BrowseTest::connectNavigatesAsTypedAndShowsTheTrimmedAddress() {
    QFETCH(QString, typed);
    QFETCH(QString, status);
    QFETCH(bool, navigates);
    StartedWindow started;
    Tindex& w = *started.window;
    QVERIFY(WaitForLoad(w.WebBrowser1));
    const QString page = WritePage(started.folder, "page.html", "<p>page</p>");
    if (typed.contains("%1")) typed = typed.arg(page);
    if (status.contains("%1")) status = status.arg(page);
    QSignalSpy loads(w.WebBrowser1, &QWebEngineView::loadStarted);
    w.Edit1->setText(typed);
    w.conn_cmd->click();
    QCOMPARE(w.panel->Text(), status);
    QCOMPARE(w.Edit1->text(), typed);
    QCOMPARE(loads.wait(3000), navigates);
    if (typed.contains(page)) {
        QVERIFY(WaitForLoad(w.WebBrowser1));
        QCOMPARE(w.WebBrowser1->url(), QUrl::fromLocalFile(page));
    }
    QVERIFY(started.messages.messages.empty());
}

void BrowseTest::enterInTheAddressBoxDoesNotNavigate() {
    StartedWindow started;
    Tindex& w = *started.window;
    w.show();
    QVERIFY(WaitForLoad(w.WebBrowser1));
    QSignalSpy loads(w.WebBrowser1, &QWebEngineView::loadStarted);
    w.Edit1->setText(WritePage(started.folder, "page.html", "<p>page</p>"));
    w.Edit1->setFocus();
    QTest::keyClick(w.Edit1, Qt::Key_Return);
    QVERIFY(!loads.wait(1000));
    QCOMPARE(w.panel->Text(), kThanks);
}

void BrowseTest::openConfirmedNavigatesAndCancelledDoesNothing() {
    StartedWindow started;
    Tindex& w = *started.window;
    QVERIFY(WaitForLoad(w.WebBrowser1));
    const QString page = WritePage(started.folder, "first.htm", "<p>first</p>");
    QString shownName;
    int shownEntry = 0;
    bool confirm = true;
    w.OpenDialog1.SetAnswer([&](QString& fileName, int& entry) {
        shownName = fileName;
        shownEntry = entry;
        if (!confirm) return false;
        fileName = page;
        entry = 2;
        return true;
    });

    w.open_cmd->click();
    QCOMPARE(shownName, QString());
    QCOMPARE(shownEntry, 1);
    QCOMPARE(w.Edit1->text(), page);
    QCOMPARE(w.panel->Text(), "Connecting " + page + " ......");
    QVERIFY(WaitForLoad(w.WebBrowser1));
    QCOMPARE(w.WebBrowser1->url(), QUrl::fromLocalFile(page));

    // Cancelled after a confirmed choice: the kept name is offered, and nothing opens.
    w.Edit1->setText(QStringLiteral("typed meanwhile"));
    w.panel->SetText(QStringLiteral("before cancel"));
    confirm = false;
    QSignalSpy loads(w.WebBrowser1, &QWebEngineView::loadStarted);
    w.open_cmd->click();
    QCOMPARE(shownName, page);
    QCOMPARE(shownEntry, 2);
    QVERIFY(!loads.wait(1000));
    QCOMPARE(w.Edit1->text(), QStringLiteral("typed meanwhile"));
    QCOMPARE(w.panel->Text(), QStringLiteral("before cancel"));
    QCOMPARE(w.OpenDialog1.FileName, page);
    QVERIFY(started.messages.messages.empty());
}

void BrowseTest::backAndForwardMoveThroughHistoryAndStaySilentAtItsEnds() {
    StartedWindow started;
    Tindex& w = *started.window;
    QVERIFY(WaitForLoad(w.WebBrowser1));
    const QUrl home = w.WebBrowser1->url();
    // Back right after start-up: no earlier page, nothing shown, nothing moves.
    w.goback_cmd->click();
    w.goto_cmd->click();
    w.STOP_CMD->click();
    QVERIFY(started.messages.messages.empty());
    QTest::qWait(300);
    QCOMPARE(w.WebBrowser1->url(), home);

    const QString a = WritePage(started.folder, "a.html", "<p>a</p>");
    const QString b = WritePage(started.folder, "b.html", "<p>b</p>");
    for (const QString& page : {a, b}) {
        w.Edit1->setText(page);
        w.conn_cmd->click();
        QVERIFY(WaitForLoad(w.WebBrowser1));
    }
    w.goback_cmd->click();
    QTRY_COMPARE(w.WebBrowser1->url(), QUrl::fromLocalFile(a));
    w.goto_cmd->click();
    QTRY_COMPARE(w.WebBrowser1->url(), QUrl::fromLocalFile(b));
    QCOMPARE(w.Edit1->text(), b);  // history moves never write the address box
    w.goto_cmd->click();
    QVERIFY(started.messages.messages.empty());
}

void BrowseTest::siteLinkChosenWithTheKeyboardPutsTheBrowserOnTop() {
    StartedWindow started;
    Tindex& w = *started.window;
    w.show();
    SelectPageByUser(w, 2);
    w.N1->trigger();
    QVERIFY(w.TreeView1->isVisible());
    w.linkto->setFocus();
    QTest::keyClick(w.linkto, Qt::Key_Down);
    QTest::keyClick(w.linkto, Qt::Key_Down);
    const QString link = w.linkto->currentItem()->text();
    QCOMPARE(w.Edit1->text(), link);
    QCOMPARE(w.panel->Text(), "Connecting " + link + " ......");
    QCOMPARE(w.PageControl1->currentIndex(), 0);
    QVERIFY(!w.TreeView1->isVisible());
    QVERIFY(w.WebBrowser1->isVisible());
}

void BrowseTest::newWindowOfTheMainBrowserGoesToAHiddenBrowser() {
    StartedWindow started;
    Tindex& w = *started.window;
    w.show();
    const QString opener =
        WritePage(started.folder, "opener.html", "<p>opener</p><script>window.open('popup.html');</script>");
    WritePage(started.folder, "popup.html", "<title>popup</title><p>popup</p>");
    w.Edit1->setText(opener);
    w.conn_cmd->click();
    QTRY_COMPARE(w.hiddenBrowsers->findChildren<WebBrowser*>().size(), qsizetype(1));
    WebBrowser* hidden = w.hiddenBrowsers->findChildren<WebBrowser*>().constFirst();
    QTRY_COMPARE(hidden->title(), QStringLiteral("popup"));
    QVERIFY(!hidden->isVisible());
    for (QWidget* top : QApplication::topLevelWidgets()) {
        QVERIFY(top == &w || !top->isVisible());
    }
    QCOMPARE(w.WebBrowser1->url(), QUrl::fromLocalFile(opener));
}

void BrowseTest::newWindowOfTheInfoViewOpensInTheDesktopBrowser() {
    StartedWindow started;
    Tindex& w = *started.window;
    w.show();
    QVERIFY(WaitForLoad(w.listinfo));
    SelectPageByUser(w, 1);
    DesktopBrowser desktop(QStringLiteral("http"));
    LoadHtmlIntoBrowser(w.listinfo,
                        "<body style='margin:0'><a href='http://www.zenta.example/topic' target='_blank' "
                        "style='display:block;width:100%;height:400px'>topic</a></body>");
    QVERIFY(WaitForLoad(w.listinfo));
    QWidget* surface = w.listinfo->focusProxy();
    QVERIFY(surface);
    QTest::mouseClick(surface, Qt::LeftButton, {}, QPoint(20, 20));
    QTRY_COMPARE(desktop.opened.size(), qsizetype(1));
    QCOMPARE(desktop.opened[0], QUrl(QStringLiteral("http://www.zenta.example/topic")));
    QVERIFY(w.hiddenBrowsers->findChildren<WebBrowser*>().isEmpty());
}

ZENTA_UI_TEST_MAIN(BrowseTest)
#include "browse_test.moc"
