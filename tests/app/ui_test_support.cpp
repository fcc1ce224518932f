// Helpers for the window's tests; see ui_test_support.h.
#include "ui_test_support.h"

#include <QEventLoop>
#include <QSignalSpy>
#include <QTabBar>
#include <QTimer>
#include <QTreeWidget>
#include <QWebEnginePage>

#include "app/page_control.h"
#include "browse/web_browser.h"

namespace zenta::test {

const char* const kSmallBoard =
    "insert into FORUM_CATEGORY values (1, '编程语言', 0, 1, 0);"
    "insert into FORUM_CATEGORY values (2, 'C++ 专区', 1, 1, 0);"
    "insert into FORUM_FORUM values (1, 1, '综合讨论', '', 0);"
    "insert into FORUM_FORUM values (2, 2, '标准库', '', 0);";

const char* const kForumWithTopics = R"(
insert into FORUM_CATEGORY values (1, '编程语言', 0, 1, 0);
insert into FORUM_FORUM values (1, 1, '综合讨论', '', 0);
insert into FORUM_MEMBERS values (1, 'Tom', NULL, 0);
insert into FORUM_TOPICS (TOPIC_ID, FORUM_ID, CAT_ID, T_AUTHOR, t_subject, t_date, t_message) values
  (10, 1, 1, 1, 'topic ten', '20030405', 'body of ten'), (11, 1, 1, 1, '第十一', '20030406', 'body of eleven'),
  (12, 1, 1, 1, 'topic twelve', '20030407', 'body of twelve');
)";

StartedWindow::StartedWindow(const std::string& board, Tlogin_dir* progress) {
    MakeArchive(folder.File("zenta.mdb"), board);
    window = std::make_unique<Tindex>(QString::fromStdString(folder.File("zenta.mdb")), std::vector<std::string>{},
                                      progress);
    // Watched from the start: the two first pages may finish in either order.
    mainLoaded_ = std::make_unique<QSignalSpy>(window->WebBrowser1, &QWebEngineView::loadFinished);
    infoLoaded_ = std::make_unique<QSignalSpy>(window->listinfo, &QWebEngineView::loadFinished);
    window->FormCreate(window.get());
}

bool StartedWindow::WaitForFirstPages() {
    for (QSignalSpy* spy : {mainLoaded_.get(), infoLoaded_.get()}) {
        if (spy->isEmpty() && !spy->wait(20000)) return false;
    }
    return true;
}

PrivateUserFolders::PrivateUserFolders() {
    environment.Set("XDG_CONFIG_HOME", home.File("config"));
    environment.Set("XDG_DATA_HOME", home.File("data"));
}

void SelectPageByUser(Tindex& window, int page) {
    QTabBar* tabs = window.PageControl1->findChild<QTabBar*>();
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(page).center());
}

void ClickForum(Tindex& window, const QString& caption) {
    window.TreeView1->expandAll();
    QTreeWidgetItem* forum = window.TreeView1->findItems(caption, Qt::MatchExactly | Qt::MatchRecursive).value(0);
    QVERIFY(forum);
    QTest::mouseClick(window.TreeView1->viewport(), Qt::LeftButton, {},
                      window.TreeView1->visualItemRect(forum).center());
}

bool WaitForLoad(WebBrowser* view, int timeoutMs) {
    QSignalSpy finished(view, &QWebEngineView::loadFinished);
    return finished.wait(timeoutMs);
}

QString PageText(WebBrowser* view) {
    QString text;
    bool done = false;
    QEventLoop loop;
    view->page()->toPlainText([&](const QString& result) {
        text = result;
        done = true;
        loop.quit();
    });
    QTimer::singleShot(20000, &loop, &QEventLoop::quit);
    if (!done) loop.exec();
    return text;
}

}  // namespace zenta::test
