// The reader's aids on the real window, with keys sent as a user types them: the find bar
// and its count on a long page, the zoom of each view, and the window's keys.
#include <QCheckBox>
#include <QTabBar>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTableView>
#include <QTreeWidget>
#include <QWebEngineHistory>

#include <fstream>

#include "app/find_bar.h"
#include "app/page_control.h"
#include "app/reading_aids.h"
#include "app/zoom.h"
#include "browse/info_view_loader.h"
#include "browse/web_browser.h"
#include "ui_test_support.h"

using namespace zenta;
using namespace zenta::test;

namespace {

// 5,000 replies; "needle" in every 300th (17 of them) and "NEEDLE" in three more.
QByteArray LongPage() {
    QByteArray html = "<html><body>";
    for (int i = 0; i < 5000; ++i) {
        html += "<p>第" + QByteArray::number(i) + "楼 reply text";
        if (i % 300 == 0) html += " needle";
        if (i == 1 || i == 2 || i == 4999) html += " NEEDLE";
        html += "</p>";
    }
    return html + "</body></html>";
}

// Sends a key to whatever has the focus, as the keyboard does.
void Type(Tindex& w, Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
    QWidget* target = QApplication::focusWidget();
    QTest::keyClick(target ? target : &w, key, modifiers);
}

// A started window, shown and active, its two first pages loaded.
bool ShowActive(StartedWindow& started) {
    started.window->show();
    return started.WaitForFirstPages() && QTest::qWaitForWindowActive(started.window.get());
}


}  // namespace

class ReadingAidsTest : public QObject {
    Q_OBJECT

private slots:
    void findBarCountsAndStepsThroughALongPage();
    void findBarFollowsThePageOnTop();
    void zoomStepsPerViewAndSurvivesANewPage();
    void keysDoWhatTheirButtonsDo();
    void gridKeysOpenTheTopicUnderTheCursor();
    void everyMenuItemShowsItsKey();
};

void ReadingAidsTest::findBarCountsAndStepsThroughALongPage() {
    StartedWindow started;
    Tindex& w = *started.window;
    QVERIFY(ShowActive(started));
    w.WebBrowser1->LoadPage(LongPage(), "text/html;charset=UTF-8");
    QVERIFY(WaitForLoad(w.WebBrowser1));
    w.WebBrowser1->setFocus();

    FindBar* bar = w.aids->browserFind;
    Type(w, Qt::Key_F, Qt::ControlModifier);
    QVERIFY(bar->isVisible());
    QCOMPARE(QApplication::focusWidget(), bar->Box());
    QTest::keyClicks(bar->Box(), QStringLiteral("needle"));
    QTRY_COMPARE(bar->CountText(), QStringLiteral("1 of 20"));
    struct Step {
        const char* name;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        const char* count;
    };
    const Step steps[] = {
        {"Enter finds the next", Qt::Key_Return, {}, "2 of 20"},
        {"F3 finds the next", Qt::Key_F3, {}, "3 of 20"},
        {"Shift+Enter finds the previous", Qt::Key_Return, Qt::ShiftModifier, "2 of 20"},
        {"Shift+F3 finds the previous", Qt::Key_F3, Qt::ShiftModifier, "1 of 20"},
        {"the previous of the first is the last", Qt::Key_F3, Qt::ShiftModifier, "20 of 20"},
    };
    for (const Step& step : steps) {
        Type(w, step.key, step.modifiers);
        QTRY_VERIFY2(bar->CountText() == QLatin1String(step.count), step.name);
    }
    bar->MatchCase()->click();
    QTRY_COMPARE(bar->CountText(), QStringLiteral("1 of 17"));
    bar->Box()->setFocus();
    QTest::keyClicks(bar->Box(), QStringLiteral("s"));
    QTRY_COMPARE(bar->CountText(), QStringLiteral("No matches"));

    // Esc closes the bar and gives the page the focus; it does not reach the window's Stop.
    Type(w, Qt::Key_Escape);
    QVERIFY(bar->isHidden());
    QVERIFY(w.WebBrowser1->isAncestorOf(QApplication::focusWidget()) ||
            QApplication::focusWidget() == w.WebBrowser1);
    // F3 with the bar closed finds nothing and changes nothing.
    Type(w, Qt::Key_F3);
    QVERIFY(bar->isHidden());
}

void ReadingAidsTest::findBarFollowsThePageOnTop() {
    StartedWindow started;
    Tindex& w = *started.window;
    QVERIFY(ShowActive(started));
    struct Case {
        const char* name;
        int page;
        FindBar* opened;
    };
    const Case cases[] = {{"Legman: the info view", 1, w.aids->infoFind},
                          {"Browser: the main browser", 0, w.aids->browserFind},
                          {"Configure: none", 2, nullptr}};
    for (const Case& c : cases) {
        w.aids->browserFind->hide();
        w.aids->infoFind->hide();
        // The focus leaves the page first: the site list, given the focus, would open its first link.
        w.PageControl1->findChild<QTabBar*>()->setFocus();
        SelectPageByUser(w, c.page);
        QVERIFY2(w.PageControl1->currentIndex() == c.page, c.name);
        Type(w, Qt::Key_F, Qt::ControlModifier);
        for (FindBar* bar : {w.aids->browserFind, w.aids->infoFind}) {
            QVERIFY2(bar->isHidden() == (bar != c.opened), c.name);
        }
    }
    // The info view's prompt is searched like any page.
    SelectPageByUser(w, 1);
    Type(w, Qt::Key_F, Qt::ControlModifier);
    QTest::keyClicks(w.aids->infoFind->Box(), QStringLiteral("select"));
    QTRY_COMPARE(w.aids->infoFind->CountText(), QStringLiteral("1 of 1"));
}

void ReadingAidsTest::zoomStepsPerViewAndSurvivesANewPage() {
    StartedWindow started;
    Tindex& w = *started.window;
    QVERIFY(ShowActive(started));
    w.WebBrowser1->setFocus();
    struct Step {
        const char* name;
        std::function<void()> act;
        double browser;
    };
    auto wheel = [&w](int delta) {
        QWidget* surface = w.WebBrowser1->focusProxy();
        const QPointF at(20, 20);
        QWheelEvent event(at, surface->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                          Qt::ControlModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(surface, &event);
    };
    const Step steps[] = {
        {"Ctrl+= zooms in", [&] { Type(w, Qt::Key_Equal, Qt::ControlModifier); }, 1.1},
        {"Ctrl++ zooms in", [&] { Type(w, Qt::Key_Plus, Qt::ControlModifier); }, 1.25},
        {"Ctrl+0 resets", [&] { Type(w, Qt::Key_0, Qt::ControlModifier); }, 1.0},
        {"Ctrl+- zooms out", [&] { Type(w, Qt::Key_Minus, Qt::ControlModifier); }, 0.9},
        {"Ctrl+wheel up zooms in", [&] { wheel(120); }, 1.0},
        {"Ctrl+wheel up again", [&] { wheel(120); }, 1.1},
        {"Ctrl+wheel down zooms out", [&] { wheel(-120); }, 1.0},
    };
    for (const Step& step : steps) {
        step.act();
        QVERIFY2(qFuzzyCompare(w.aids->browserZoom->Factor(), step.browser), step.name);
        QVERIFY2(qFuzzyCompare(w.WebBrowser1->zoomFactor(), step.browser), step.name);
    }
    QVERIFY(w.aids->browserZoom->LevelLabel()->isVisible());
    QCOMPARE(w.aids->browserZoom->LevelLabel()->text(), QStringLiteral("100 %"));
    QTRY_VERIFY(w.aids->browserZoom->LevelLabel()->isHidden());

    // Each view has its own level; the smallest level is a floor.
    SelectPageByUser(w, 1);
    for (int i = 0; i < 20; ++i) Type(w, Qt::Key_Minus, Qt::ControlModifier);
    QCOMPARE(w.aids->infoZoom->Factor(), 0.25);
    QCOMPARE(w.aids->browserZoom->Factor(), 1.0);

    // A new page keeps the view's level.
    w.aids->infoZoom->SetFactor(1.5);
    LoadHtmlIntoBrowser(w.listinfo, "<p>another page</p>");
    QVERIFY(WaitForLoad(w.listinfo));
    QTRY_VERIFY(qFuzzyCompare(w.listinfo->zoomFactor(), 1.5));
}

void ReadingAidsTest::keysDoWhatTheirButtonsDo() {
    StartedWindow started;
    Tindex& w = *started.window;
    QVERIFY(ShowActive(started));
    for (const char* text : {"first", "second"}) {
        const std::string file = started.folder.File(std::string(text) + ".html");
        std::ofstream(file) << text;
        w.WebBrowser1->Navigate(QString::fromStdString(file));
        QVERIFY(WaitForLoad(w.WebBrowser1));
    }
    w.WebBrowser1->setFocus();
    const QUrl second = w.WebBrowser1->url();
    Type(w, Qt::Key_Left, Qt::AltModifier);
    QVERIFY(WaitForLoad(w.WebBrowser1));
    QTRY_COMPARE(PageText(w.WebBrowser1), QStringLiteral("first"));
    Type(w, Qt::Key_Right, Qt::AltModifier);
    QVERIFY(WaitForLoad(w.WebBrowser1));
    QCOMPARE(w.WebBrowser1->url(), second);

    QSignalSpy reloaded(w.WebBrowser1, &QWebEngineView::loadStarted);
    Type(w, Qt::Key_F5);
    QVERIFY(reloaded.count() == 1 || reloaded.wait());

    Type(w, Qt::Key_L, Qt::ControlModifier);
    QCOMPARE(QApplication::focusWidget(), w.Edit1);
    QCOMPARE(w.Edit1->selectedText(), w.Edit1->text());
    // Enter in the address box still goes nowhere.
    QSignalSpy navigated(w.WebBrowser1, &QWebEngineView::loadStarted);
    Type(w, Qt::Key_Return);
    QTest::qWait(200);
    QCOMPARE(navigated.count(), 0);

    Type(w, Qt::Key_K, Qt::ControlModifier);
    QCOMPARE(w.PageControl1->currentIndex(), 1);
    QVERIFY(w.Panel1->isVisible());
    QVERIFY(w.TreeView1->isVisible());
    QCOMPARE(QApplication::focusWidget(), w.Edit2);

    Type(w, Qt::Key_T, Qt::ControlModifier | Qt::ShiftModifier);
    QVERIFY(w.TreeView1->isHidden());
    Type(w, Qt::Key_T, Qt::ControlModifier);
    QVERIFY(w.TreeView1->isVisible());
}

void ReadingAidsTest::gridKeysOpenTheTopicUnderTheCursor() {
    StartedWindow started(kForumWithTopics);
    Tindex& w = *started.window;
    QVERIFY(ShowActive(started));
    SelectPageByUser(w, 1);
    ClickForum(w, QStringLiteral("综合讨论"));
    QVERIFY(w.DBGrid1->isVisible());
    w.DBGrid1->setFocus();
    w.DBGrid1->setCurrentIndex(w.DBGrid1->model()->index(0, 0));

    Type(w, Qt::Key_Return);
    QVERIFY(WaitForLoad(w.listinfo));
    QVERIFY(PageText(w.listinfo).contains(QStringLiteral("body of twelve")));
    // Two rows down in quick steps: one page, the row the keys rest on.
    QSignalSpy loads(w.listinfo, &QWebEngineView::loadFinished);
    Type(w, Qt::Key_Down);
    Type(w, Qt::Key_Down);
    QVERIFY(loads.wait());
    QTest::qWait(500);
    QCOMPARE(loads.count(), 1);
    QVERIFY(PageText(w.listinfo).contains(QStringLiteral("body of ten")));
}

void ReadingAidsTest::everyMenuItemShowsItsKey() {
    StartedWindow started;
    for (QAction* item : started.window->PopupMenu1->actions()) {
        if (item->isSeparator()) continue;
        QVERIFY2(!item->shortcut().isEmpty(), qPrintable(item->text()));
    }
}

ZENTA_UI_TEST_MAIN(ReadingAidsTest)
#include "reading_aids_test.moc"
