// The main window on real widgets: start-up with and without a usable archive, the state
// after start, the tree, and every view-state transition of the window's own handlers.
#include <QAction>
#include <QContextMenuEvent>
#include <QMenu>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTabBar>
#include <QTableView>
#include <QToolButton>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

#include <QProgressBar>

#include <filesystem>
#include <fstream>
#include <functional>

#include "app/glyphs.h"
#include "app/login.h"
#include "app/page_control.h"
#include "app/program.h"
#include "app/radio_group.h"
#include "app/site_link_list.h"
#include "app/status_panel.h"
#include "base/version.h"
#include "browse/web_browser.h"
#include "ui_test_support.h"

using namespace zenta;
using namespace zenta::test;

namespace {

const QString kNoArchive = QStringLiteral("Please load Zenta Data Base To  Current Directory ！");

// Ends the program's message loop after `ms` unless destroyed first, so that a program
// that wrongly runs on cannot hang the test, nor end a later test's wait.
class LoopGuard {
public:
    LoopGuard(int ms, int status) {
        timer_.setSingleShot(true);
        QObject::connect(&timer_, &QTimer::timeout, [status] { QApplication::exit(status); });
        timer_.start(ms);
    }

private:
    QTimer timer_;
};

bool NoWindowShown() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->isVisible()) return false;
    }
    return true;
}

}  // namespace

class WindowTest : public QObject {
    Q_OBJECT

private slots:
    void failedStartUpShowsTheOneMessageAndEnds_data();
    void failedStartUpShowsTheOneMessageAndEnds();
    void programShowsTheWindowAndEndsWhenItCloses();
    void startedWindowShowsTheBrowserPageAndThePrompt();
    void treeHoldsTheBoardsCategoriesAndForums();
    void jetMainArchiveIsConvertedBehindTheProgressForm();
    void cancelledConversionKeepsTheJetFileAndSaysSo();
    void viewStateFollowsEveryTransition();
    void tabKeyFollowsTheTopBarsOrder();
    void rightClickShowsTheWindowsMenu();
    void errorLeavingAHandlerIsReportedWithAFullStop();
    void glyphsAreDrawnForEveryScreenScale();
};

void WindowTest::failedStartUpShowsTheOneMessageAndEnds_data() {
    QTest::addColumn<QString>("archive");
    QTest::addColumn<QString>("reason");  // a piece of the second line; @ is the test's folder
    QTest::newRow("no archive") << QString()
                                << QStringLiteral("No main archive in any place looked at: \"@/zenta.mdb\"");
    QTest::newRow("none in the usual places")
        << QStringLiteral("usual places")
        << QStringLiteral("No main archive in any place looked at: \"@/zenta.mdb\", \"@/data/zenta/zenta.mdb\"");
    QTest::newRow("not an archive") << QStringLiteral("garbage") << QStringLiteral("@/zenta.mdb");
    QTest::newRow("archive without FORUM_FORUM") << QStringLiteral("drop-forum") << QStringLiteral("FORUM_FORUM");
    QTest::newRow("Jet file cut short") << QStringLiteral("cut-jet") << QStringLiteral("is not a readable archive");
}

void WindowTest::failedStartUpShowsTheOneMessageAndEnds() {
    QFETCH(QString, archive);
    QFETCH(QString, reason);
    TempDir folder;
    const std::string path = folder.File("zenta.mdb");
    if (archive == "garbage") {
        std::ofstream(path) << "This is not a data base, just a few words of text.";
    } else if (archive == "drop-forum") {
        MakeArchive(path, std::string(kSmallBoard) + "drop table FORUM_FORUM;");
    } else if (archive == "cut-jet") {
        if (!FixturesAvailable()) QSKIP("the shared Jet fixtures are not here");
        std::ofstream(path, std::ios::binary) << ReadFile(FixturePath("sample.mdb")).substr(0, 3 * 4096);
    }
    const bool existed = std::filesystem::exists(path);
    const std::string before = ReadFile(path);
    MessageRecorder messages;
    LoopGuard guard(3000, 0);
    const int status = archive == "usual places" ? RunProgram(QString(), {path, folder.File("data/zenta/zenta.mdb")})
                                                 : RunProgram(QString::fromStdString(path));
    // A failed start neither creates nor changes the main archive.
    QCOMPARE(std::filesystem::exists(path), existed);
    QVERIFY(ReadFile(path) == before);
    QVERIFY(status != 0);
    QCOMPARE(messages.messages.size(), size_t(1));
    // The message, and under it the reason.
    const QStringList lines = messages.messages[0].text.split(u'\r');
    QCOMPARE(lines.size(), 2);
    QCOMPARE(lines[0], kNoArchive);
    reason.replace(u'@', QString::fromStdString(folder.path()));
    QVERIFY2(lines[1].contains(reason), qPrintable(lines[1]));
    QVERIFY(NoWindowShown());
    QVERIFY(zenta::index.isNull());
}

void WindowTest::programShowsTheWindowAndEndsWhenItCloses() {
    TempDir folder;
    MakeArchive(folder.File("zenta.mdb"), kSmallBoard);
    MessageRecorder messages;
    QString seen;
    QTimer closer;
    closer.setSingleShot(true);
    connect(&closer, &QTimer::timeout, this, [&] {
        seen = zenta::index->isVisible() ? zenta::index->windowTitle() : QStringLiteral("hidden");
        zenta::index->close();
    });
    closer.start(500);
    LoopGuard guard(20000, 3);
    QCOMPARE(RunProgram(QString::fromStdString(folder.File("zenta.mdb"))), 0);
    QCOMPARE(seen, QStringLiteral("Zenta ") + QString::fromLatin1(kVersion));
    QVERIFY(messages.messages.empty());
    QVERIFY(zenta::index.isNull());
    QVERIFY(NoWindowShown());
}

void WindowTest::startedWindowShowsTheBrowserPageAndThePrompt() {
    StartedWindow started;
    Tindex& w = *started.window;
    QVERIFY(!w.TerminationRequested());
    QVERIFY(started.messages.messages.empty());
    w.show();
    QVERIFY(WaitForLoad(w.listinfo));
    QCOMPARE(w.PageControl1->currentIndex(), 0);
    QVERIFY(!w.TreeView1->isVisible());
    QCOMPARE(w.panel->Text(), QStringLiteral("Thanks For Using Zenta"));
    QCOMPARE(w.Edit1->text(), QStringLiteral("http://www.zenta.example"));
    QCOMPARE(w.linkto->item(0)->text(), w.Edit1->text() + "/");
    QVERIFY(w.Memo1->toPlainText().startsWith(QStringLiteral("《Zenta》\n\n")));
    QVERIFY(w.Memo1->toPlainText().endsWith(QStringLiteral("\n\nVersion ") + QString::fromLatin1(kVersion)));
    QCOMPARE(w.RadioGroup1->ItemIndex(), 0);
    QCOMPARE(
        w.OpenDialog1.NameFilters(),
        QStringList({QStringLiteral("*.htm;*.html;*.asp;*.aspx;*.mdb;*.znt (*.htm *.html *.asp *.aspx *.mdb *.znt)"),
                     QStringLiteral("*.* (*)")}));
    SelectPageByUser(w, 1);
    QVERIFY(w.Panel1->isVisible());
    QVERIFY(!w.DBGrid1->isVisible());
    QCOMPARE(PageText(w.listinfo).trimmed(), QStringLiteral("Please Select Treeview Or Search Function!"));
}

void WindowTest::treeHoldsTheBoardsCategoriesAndForums() {
    StartedWindow started;
    QTreeWidget* tree = started.window->TreeView1;
    QCOMPARE(tree->topLevelItemCount(), 1);
    QTreeWidgetItem* root = tree->topLevelItem(0);
    QCOMPARE(root->text(0), QStringLiteral("RORUZA Zenta BBS"));
    QCOMPARE(root->childCount(), 1);
    QTreeWidgetItem* category = root->child(0);
    QCOMPARE(category->text(0), QStringLiteral("编程语言"));
    QCOMPARE(category->childCount(), 2);
    QCOMPARE(category->child(0)->text(0), QStringLiteral("综合讨论"));
    QCOMPARE(category->child(1)->text(0), QStringLiteral("C++ 专区"));
    QCOMPARE(category->child(1)->child(0)->text(0), QStringLiteral("标准库"));
}

void WindowTest::jetMainArchiveIsConvertedBehindTheProgressForm() {
    if (!FixturesAvailable()) QSKIP("the shared Jet fixtures are not here");
    TempDir folder;
    std::filesystem::copy_file(FixturePath("sample.mdb"), folder.File("zenta.mdb"));
    Tlogin_dir progress;
    int highest = 0;
    bool shownWhileCopying = false;
    connect(progress.progressbar1, &QProgressBar::valueChanged, this, [&](int value) {
        highest = std::max(highest, value);
        shownWhileCopying = shownWhileCopying || progress.isVisible();
    });
    MessageRecorder messages;
    Tindex w(QString::fromStdString(folder.File("zenta.mdb")), {}, &progress);
    w.FormCreate(&w);
    QVERIFY(messages.messages.empty());
    QVERIFY(!w.TerminationRequested());
    QVERIFY(shownWhileCopying);
    QCOMPARE(highest, 100);
    QVERIFY(!progress.isVisible());
    QVERIFY(w.TreeView1->topLevelItem(0)->childCount() > 0);
    QVERIFY(std::filesystem::exists(folder.File("zenta.mdb.jet")));
}

void WindowTest::cancelledConversionKeepsTheJetFileAndSaysSo() {
    if (!FixturesAvailable()) QSKIP("the shared Jet fixtures are not here");
    TempDir folder;
    const std::string path = folder.File("zenta.mdb");
    std::filesystem::copy_file(FixturePath("sample.mdb"), path);
    const std::string before = ReadFile(path);
    Tlogin_dir progress;
    // The user presses Cancel as soon as the form shows.
    QTimer user;
    connect(&user, &QTimer::timeout, this, [&] {
        if (progress.isVisible() && progress.cancelButton->isEnabled())
            QTest::mouseClick(progress.cancelButton, Qt::LeftButton);
    });
    user.start(0);
    MessageRecorder messages;
    Tindex w(QString::fromStdString(folder.File("zenta.mdb")), {}, &progress);
    w.FormCreate(&w);
    QVERIFY(w.TerminationRequested());
    QCOMPARE(messages.messages.size(), size_t(1));
    QCOMPARE(messages.messages[0].text,
             kNoArchive + "\r\"" + QString::fromStdString(path) + "\": the conversion was cancelled");
    QVERIFY(!progress.isVisible());
    QVERIFY(ReadFile(path) == before);
    QVERIFY(!std::filesystem::exists(folder.File("zenta.mdb.jet")));
}

void WindowTest::viewStateFollowsEveryTransition() {
    StartedWindow started;
    Tindex& w = *started.window;
    w.show();
    struct Step {
        const char* name;
        std::function<void()> act;
        bool tree, grid, panel;
        int page;
    };
    auto openTopicList = [&w] {
        w.rs.SQL().Clear();
        w.rs.SQL().Add("select * from FORUM_FORUM");
        w.rs.Open();
    };
    const Step steps[] = {
        {"user selects Legman", [&] { SelectPageByUser(w, 1); }, true, false, true, 1},
        {"N2 hides the tree", [&] { w.N2->trigger(); }, false, false, true, 1},
        {"user selects Configure", [&] { SelectPageByUser(w, 2); }, false, false, true, 2},
        {"N1 shows the tree", [&] { w.N1->trigger(); }, true, false, true, 2},
        {"user selects Browser", [&] { SelectPageByUser(w, 0); }, false, false, true, 0},
        {"N1 beside the main browser", [&] { w.N1->trigger(); }, true, false, true, 0},
        {"hide button, no topic list", [&] { w.SpeedButton1->click(); }, true, false, false, 0},
        {"Search brings the panel back", [&] { w.BitBtn1->click(); }, true, false, true, 0},
        {"hide button, topic list open",
         [&] {
             openTopicList();
             w.SpeedButton1->click();
         },
         true, true, false, 0},
        {"N3 as Search", [&] { w.N3->trigger(); }, true, false, true, 0},
        {"hide button after the list closed",
         [&] {
             w.rs.Close();
             w.SpeedButton1->click();
         },
         true, false, false, 0},
        {"user selects Legman again", [&] { SelectPageByUser(w, 1); }, true, false, false, 1},
        {"page set from code is no user change", [&] { w.PageControl1->setCurrentIndex(2); }, true, false, false, 2},
    };
    for (const Step& step : steps) {
        step.act();
        QVERIFY2(!w.TreeView1->isHidden() == step.tree, step.name);
        QVERIFY2(!w.DBGrid1->isHidden() == step.grid, step.name);
        QVERIFY2(!w.Panel1->isHidden() == step.panel, step.name);
        QVERIFY2(w.PageControl1->currentIndex() == step.page, step.name);
    }
}

void WindowTest::tabKeyFollowsTheTopBarsOrder() {
    StartedWindow started;
    Tindex& w = *started.window;
    w.show();
    w.N1->trigger();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    const QWidget* order[] = {w.Edit1,     w.conn_cmd, w.open_cmd, w.goback_cmd, w.goto_cmd,
                              w.TreeView1, w.BitBtn1,  w.STOP_CMD, w.inmdb};
    w.Edit1->setFocus();
    for (const QWidget* expected : order) {
        QCOMPARE(QApplication::focusWidget(), expected);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
}

void WindowTest::rightClickShowsTheWindowsMenu() {
    StartedWindow started;
    Tindex& w = *started.window;
    w.show();
    QVERIFY(WaitForLoad(w.WebBrowser1));
    w.N1->trigger();
    // On the web views the menu replaces the engine's own, so the click goes to the page.
    struct Target {
        const char* name;
        QWidget* surface;
    };
    const Target targets[] = {{"main browser", w.WebBrowser1->focusProxy()},
                              {"tree", w.TreeView1->viewport()},
                              {"page control", w.PageControl1->findChild<QTabBar*>()}};
    for (const Target& target : targets) {
        QVERIFY2(target.surface, target.name);
        if (target.surface == w.WebBrowser1->focusProxy()) {
            QTest::mouseClick(target.surface, Qt::RightButton, {}, QPoint(10, 10));
        } else {
            QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(10, 10),
                                    target.surface->mapToGlobal(QPoint(10, 10)));
            QApplication::sendEvent(target.surface, &event);
        }
        QTRY_VERIFY2(w.PopupMenu1->isVisible(), target.name);
        w.PopupMenu1->hide();
    }
    const QStringList captions = {w.N1->text(), w.N2->text(), w.N3->text()};
    QCOMPARE(captions,
             QStringList({QStringLiteral("显示目录树"), QStringLiteral("隐藏目录树"), QStringLiteral("资料搜索")}));
}

void WindowTest::errorLeavingAHandlerIsReportedWithAFullStop() {
    MessageRecorder messages;
    CallReported([] { throw Error("未发现字段 'x'"); });
    CallReported([] { throw Error("Ends in a stop."); });
    CallReported([] {});
    QCOMPARE(messages.messages.size(), size_t(2));
    QCOMPARE(messages.messages[0].text, QStringLiteral("未发现字段 'x'."));
    QCOMPARE(messages.messages[1].text, QStringLiteral("Ends in a stop."));
    QVERIFY(messages.messages[0].icon == MessageIcon::Error);
}

void WindowTest::glyphsAreDrawnForEveryScreenScale() {
    // An enlarged 1x picture is blurred: each scale must have a picture of its own size.
    for (Glyph glyph : {Glyph::LeftArrow, Glyph::StopSign, Glyph::Globe, Glyph::Magnifier}) {
        for (int size : {16, 32}) {
            const QIcon icon = GlyphIcon(glyph, size);
            for (qreal ratio : {1.0, 2.0, 3.0}) {
                const QPixmap picture = icon.pixmap(QSize(size, size), ratio);
                QCOMPARE(picture.size(), QSize(size, size) * ratio);
                QCOMPARE(picture.devicePixelRatio(), ratio);
            }
        }
    }
}

ZENTA_UI_TEST_MAIN(WindowTest)
#include "window_test.moc"
