// zenta-screenshots FOLDER PAGE OUTPUT_PREFIX: starts the window on FOLDER/zenta.mdb, opens
// the local page PAGE in the main browser as a user would, and saves each of the three
// pages, selected by a click on its tab, as OUTPUT_PREFIX-browser.png, -legman.png and
// -configure.png.
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>

#include <cstdio>

#include "app/error_report.h"
#include "app/main_window.h"
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

}  // namespace

int main(int argc, char** argv) {
    zenta::RegisterPageScheme();
    QApplication app(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "usage: zenta-screenshots FOLDER PAGE OUTPUT_PREFIX\n");
        return 2;
    }
    QApplication::setApplicationName(QStringLiteral("Zenta"));
    zenta::MessageRecorder messages;
    zenta::Tindex window(QString::fromLocal8Bit(argv[1]));
    window.FormCreate(&window);
    if (window.TerminationRequested()) {
        std::fprintf(stderr, "start-up failed: %s\n", qPrintable(messages.messages.at(0).text));
        return 1;
    }
    window.show();
    Settle(window.listinfo);
    window.Edit1->setText(QString::fromLocal8Bit(argv[2]));
    window.conn_cmd->click();
    Settle(window.WebBrowser1);

    const char* names[] = {"browser", "legman", "configure"};
    for (int page = 0; page < 3; ++page) {
        zenta::test::SelectPageByUser(window, page);
        if (page == 1) window.TreeView1->expandToDepth(1);
        QTest::qWait(800);
        const QString file = QString::fromLocal8Bit(argv[3]) + "-" + names[page] + ".png";
        if (!window.grab().save(file)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
