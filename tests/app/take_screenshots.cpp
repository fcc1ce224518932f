// zenta-screenshots ARCHIVE PAGE OUTPUT_PREFIX: starts the window on the main archive ARCHIVE, shows
// the local page PAGE in the main browser in place of the board's home page (which a machine
// without a network cannot reach; the address box keeps the home address, as a user sees it
// after start-up), and saves each of the three pages, selected by a click on its tab, as
// OUTPUT_PREFIX-browser.png, -legman.png and -configure.png. On the Legman page it first
// clicks the first forum and its newest topic.
#include <QApplication>
#include <QTableView>
#include <QSignalSpy>
#include <QTabBar>
#include <QTest>
#include <QTreeWidget>

#include <cstdio>

#include "app/error_report.h"
#include "app/main_window.h"
#include "app/page_control.h"
#include "browse/page_scheme.h"
#include "browse/web_browser.h"
#include "ui_test_support.h"

namespace {

bool Settle(zenta::WebBrowser* view) {
    QSignalSpy loaded(view, &QWebEngineView::loadFinished);
    const bool done = loaded.wait(20000);
    QTest::qWait(800);  // let the page paint
    return done;
}

// Clicks the first forum of the tree, then the first cell of the topic list it fills.
void ShowFirstTopic(zenta::Tindex& window) {
    window.TreeView1->expandToDepth(1);
    QTreeWidgetItem* category = window.TreeView1->topLevelItem(0)->child(0);
    if (!category || category->childCount() == 0) return;
    QTest::mouseClick(window.TreeView1->viewport(), Qt::LeftButton, {},
                      window.TreeView1->visualItemRect(category->child(0)).center());
    QTest::qWait(300);
    QAbstractItemModel* topics = window.DBGrid1->model();
    if (!topics || topics->rowCount() == 0) return;
    QTest::mouseClick(window.DBGrid1->viewport(), Qt::LeftButton, {},
                      window.DBGrid1->visualRect(topics->index(0, 0)).center());
    Settle(window.listinfo);
}

}  // namespace

int main(int argc, char** argv) {
    zenta::RegisterPageScheme();
    QApplication app(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "usage: zenta-screenshots ARCHIVE PAGE OUTPUT_PREFIX\n");
        return 2;
    }
    QApplication::setApplicationName(QStringLiteral("Zenta"));
    zenta::MessageRecorder messages;
    zenta::Tindex window(QString::fromLocal8Bit(argv[1]), {}, nullptr);
    window.FormCreate(&window);
    if (window.TerminationRequested()) {
        std::fprintf(stderr, "start-up failed: %s\n", qPrintable(messages.messages.at(0).text));
        return 1;
    }
    window.show();
    Settle(window.listinfo);
    window.WebBrowser1->Navigate(QString::fromLocal8Bit(argv[2]));
    Settle(window.WebBrowser1);

    const char* names[] = {"browser", "legman", "configure"};
    for (int page = 0; page < 3; ++page) {
        zenta::test::SelectPageByUser(window, page);
        if (page == 1) ShowFirstTopic(window);
        QTest::qWait(800);
        const QString file = QString::fromLocal8Bit(argv[3]) + "-" + names[page] + ".png";
        if (!window.grab().save(file)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
