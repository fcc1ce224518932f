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

#include <algorithm>
#include <fstream>
#include <functional>

#include "app/page_control.h"
#include "app/site_link_list.h"
#include "app/status_panel.h"
#include "browse/site_links.h"
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
    void focusAloneChoosesNoSiteLink_data();
    void focusAloneChoosesNoSiteLink();
    void newWindowOfTheMainBrowserGoesToAHiddenBrowser();
    void hiddenBrowsersAreBoundedAndOpenNoWindows_data();
    void hiddenBrowsersAreBoundedAndOpenNoWindows();
    void newWindowOfTheInfoViewOpensInTheDesktopBrowser_data();
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

void BrowseTest::focusAloneChoosesNoSiteLink_data() {
    QTest::addColumn<QString>("from");  // the control that has the focus before the Configure tab's click
    QTest::newRow("from the main browser") << QStringLiteral("browser");
    QTest::newRow("from the search box") << QStringLiteral("search");
}

void BrowseTest::focusAloneChoosesNoSiteLink() {
    QFETCH(QString, from);
    StartedWindow started;
    Tindex& w = *started.window;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QVERIFY(WaitForLoad(w.WebBrowser1));
    const QString home = w.Edit1->text();
    if (from == "browser") {
        QTest::mouseClick(w.WebBrowser1->focusProxy(), Qt::LeftButton, {}, QPoint(20, 20));
    } else {
        SelectPageByUser(w, 1);
        w.Edit2->setFocus();
    }
    SelectPageByUser(w, 2);
    w.linkto->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(w.linkto->hasFocus());
    QTest::qWait(200);
    QCOMPARE(w.PageControl1->currentIndex(), 2);
    QCOMPARE(w.Edit1->text(), home);
    QCOMPARE(w.panel->Text(), kThanks);

    // The user's choices: a click (also on the row the focus made current), Enter, Space, an arrow.
    struct Choice {
        const char* what;
        std::function<void()> make;
        int row;
    };
    auto click = [&](int row) {
        QTest::mouseClick(w.linkto->viewport(), Qt::LeftButton, {},
                          w.linkto->visualItemRect(w.linkto->item(row)).center());
    };
    const Choice choices[] = {
        {"click on the current row", [&] { click(w.linkto->currentRow() < 0 ? 0 : w.linkto->currentRow()); },
         w.linkto->currentRow() < 0 ? 0 : w.linkto->currentRow()},
        {"click on another row", [&] { click(2); }, 2},
        {"Enter", [&] { QTest::keyClick(w.linkto, Qt::Key_Return); }, 2},
        {"Space", [&] { QTest::keyClick(w.linkto, Qt::Key_Space); }, 2},
        {"arrow", [&] { QTest::keyClick(w.linkto, Qt::Key_Down); }, 3},
    };
    for (const Choice& choice : choices) {
        SelectPageByUser(w, 2);
        w.Edit1->setText(home);
        choice.make();
        QVERIFY2(w.PageControl1->currentIndex() == 0, choice.what);
        QCOMPARE(w.Edit1->text(), QString::fromLatin1(kSiteLinks[choice.row]));
    }
    QVERIFY(started.messages.messages.empty());
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

void BrowseTest::hiddenBrowsersAreBoundedAndOpenNoWindows_data() {
    QTest::addColumn<int>("windows");  // how many windows of itself the page opens on load
    QTest::addColumn<int>("alive");
    QTest::newRow("two windows of itself") << 2 << 2;
    QTest::newRow("ten windows of itself: the newest four") << 10 << 4;
}

void BrowseTest::hiddenBrowsersAreBoundedAndOpenNoWindows() {
    QFETCH(int, windows);
    QFETCH(int, alive);
    StartedWindow started;
    Tindex& w = *started.window;
    w.show();
    const QString self = WritePage(started.folder, "self.html",
                                   "<title>self</title><script>for (let i = 0; i < " + std::to_string(windows) +
                                       "; ++i) window.open('self.html');</script>");
    w.Edit1->setText(self);
    w.conn_cmd->click();
    QTRY_COMPARE(w.hiddenBrowsers->findChildren<WebBrowser*>().size(), qsizetype(alive));
    // The hidden pages load and run their own script, which opens nothing more.
    auto allLoaded = [&] {
        const QList<WebBrowser*> hidden = w.hiddenBrowsers->findChildren<WebBrowser*>();
        return std::all_of(hidden.begin(), hidden.end(), [](WebBrowser* view) { return view->title() == "self"; });
    };
    QTRY_VERIFY(allLoaded());
    QTest::qWait(2000);
    QCOMPARE(w.hiddenBrowsers->findChildren<WebBrowser*>().size(), qsizetype(alive));
    QCOMPARE(w.WebBrowser1->url(), QUrl::fromLocalFile(self));
    QVERIFY(started.messages.messages.empty());
}

void BrowseTest::newWindowOfTheInfoViewOpensInTheDesktopBrowser_data() {
    QTest::addColumn<QString>("address");
    QTest::addColumn<bool>("opened");
    QTest::newRow("http") << QStringLiteral("http://www.zenta.example/topic") << true;
    QTest::newRow("https") << QStringLiteral("https://www.zenta.example/topic") << true;
    QTest::newRow("file") << QStringLiteral("file:///etc/hostname") << false;
    QTest::newRow("share") << QStringLiteral("smb://host.example/x.exe") << false;
    QTest::newRow("remote shell") << QStringLiteral("ssh://host.example/") << false;
    QTest::newRow("a desktop's own handler") << QStringLiteral("zenta-handler:run") << false;
}

void BrowseTest::newWindowOfTheInfoViewOpensInTheDesktopBrowser() {
    QFETCH(QString, address);
    QFETCH(bool, opened);
    StartedWindow started;
    Tindex& w = *started.window;
    w.show();
    QVERIFY(WaitForLoad(w.listinfo));
    SelectPageByUser(w, 1);
    DesktopBrowser desktop(QUrl(address).scheme());
    LoadHtmlIntoBrowser(w.listinfo, "<body style='margin:0'><a href='" + address.toStdString() +
                                        "' target='_blank' style='display:block;width:100%;height:400px'>topic</a></body>");
    QVERIFY(WaitForLoad(w.listinfo));
    QWidget* surface = w.listinfo->focusProxy();
    QVERIFY(surface);
    QTest::mouseClick(surface, Qt::LeftButton, {}, QPoint(20, 20));
    if (opened) {
        QTRY_COMPARE(desktop.opened.size(), qsizetype(1));
        QCOMPARE(desktop.opened[0], QUrl(address));
    } else {
        QTest::qWait(1000);
        QCOMPARE(desktop.opened.size(), qsizetype(0));
    }
    QVERIFY(w.hiddenBrowsers->findChildren<WebBrowser*>().isEmpty());
}

ZENTA_UI_TEST_MAIN(BrowseTest)
#include "browse_test.moc"
