// zenta-screenshots ARCHIVE PAGE OUTPUT_PREFIX [--only-legman]: starts the window on
// the main archive ARCHIVE, shows the local page PAGE in the main browser in place of the board's home
// page (which a machine without a network cannot reach; the address box keeps the home
// address, as a user sees it after start-up), and saves each of the three pages, selected by a
// click on its tab, as OUTPUT_PREFIX-browser.png, -legman.png and -configure.png. On the Legman
// page it first clicks the first forum and its newest topic. Then the reader's aids, as keys
// typed: OUTPUT_PREFIX-find.png (the find bar with matches), -zoom.png (the topic page at
// 150 %) and -favourites.png (the list after two topics were marked). With --only-legman it
// saves the Legman page alone, as OUTPUT_PREFIX.png (for a run at another screen scale).
// Last it saves the progress form part way as -progress.png, and the box of a start-up on a
// file that is no archive (broken/zenta.mdb beside ARCHIVE) as -startup-failure.png.
#include <QApplication>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QTimer>
#include <QTableView>
#include <QSignalSpy>
#include <QTabBar>
#include <QTest>
#include <QTreeWidget>

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>

#include "app/error_report.h"
#include "app/favourites_list.h"
#include "app/find_bar.h"
#include "app/login.h"
#include "app/main_window.h"
#include "app/reading_aids.h"
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

bool Save(QWidget& widget, const QString& file) {
    if (widget.grab().save(file)) return true;
    std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
    return false;
}

void Press(zenta::Tindex& window, Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
    QWidget* target = QApplication::focusWidget();
    QTest::keyClick(target ? target : &window, key, modifiers);
}

// The find bar, the zoom and the favourites on the Legman page, which shows a topic.
bool TakeReadingAids(zenta::Tindex& window, const QString& prefix) {
    window.activateWindow();
    if (!QTest::qWaitForWindowActive(&window)) std::fprintf(stderr, "the window is not active: keys may go astray\n");
    Press(window, Qt::Key_F, Qt::ControlModifier);
    // Set, not typed: the test library types only ASCII.
    window.aids->infoFind->Box()->setText(QStringLiteral("数据库"));
    window.aids->infoFind->FindNext();
    QTest::qWait(1000);
    Press(window, Qt::Key_Return);
    QTest::qWait(800);
    if (!Save(window, prefix + "-find.png")) return false;
    Press(window, Qt::Key_Escape);

    for (int step = 0; step < 3; ++step) Press(window, Qt::Key_Equal, Qt::ControlModifier);
    QTest::qWait(300);  // the level shows for a moment
    if (!Save(window, prefix + "-zoom.png")) return false;
    Press(window, Qt::Key_0, Qt::ControlModifier);

    // Marks the newest two topics, then shows the list.
    for (int row = 0; row < 2; ++row) {
        QTest::mouseClick(window.DBGrid1->viewport(), Qt::LeftButton, {},
                          window.DBGrid1->visualRect(window.DBGrid1->model()->index(row, 0)).center());
        Settle(window.listinfo);
        Press(window, Qt::Key_D, Qt::ControlModifier);
    }
    Press(window, Qt::Key_O, Qt::ControlModifier | Qt::ShiftModifier);
    QTest::qWait(500);
    return Save(*window.aids->favouritesList, prefix + "-favourites.png");
}

// Shows the progress form at 40 %, as Add data does, and saves it.
bool SaveProgressForm(const QString& file) {
    zenta::Tlogin_dir form;
    form.ShowProgress(40, 100);
    QTest::qWait(300);
    return form.grab().save(file);
}

// Starts a window on a folder whose zenta.mdb is no archive and saves the box it shows.
bool SaveStartUpFailure(const QString& folder, const QString& file) {
    std::ofstream(QString(folder + "/zenta.mdb").toStdString()) << "This is not a data base.";
    bool saved = false;
    QTimer::singleShot(800, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            saved = box->grab().save(file);
            box->accept();
        }
    });
    zenta::Tindex window(folder + "/zenta.mdb", {}, nullptr);
    window.FormCreate(&window);
    return saved;
}

}  // namespace

int main(int argc, char** argv) {
    zenta::RegisterPageScheme();
    QApplication app(argc, argv);
    const bool onlyLegman = argc == 5 && std::string(argv[4]) == "--only-legman";
    if (argc != 4 && !onlyLegman) {
        std::fprintf(stderr, "usage: zenta-screenshots ARCHIVE PAGE OUTPUT_PREFIX [--only-legman]\n");
        return 2;
    }
    QApplication::setApplicationName(QStringLiteral("Zenta"));
    auto messages = std::make_unique<zenta::MessageRecorder>();
    zenta::Tindex window(QString::fromLocal8Bit(argv[1]), {}, nullptr);
    window.FormCreate(&window);
    if (window.TerminationRequested()) {
        std::fprintf(stderr, "start-up failed: %s\n", qPrintable(messages->messages.at(0).text));
        return 1;
    }
    window.show();
    Settle(window.listinfo);
    window.WebBrowser1->Navigate(QString::fromLocal8Bit(argv[2]));
    Settle(window.WebBrowser1);

    const QString prefix = QString::fromLocal8Bit(argv[3]);
    if (onlyLegman) {
        zenta::test::SelectPageByUser(window, 1);
        ShowFirstTopic(window);
        QTest::qWait(800);
        return Save(window, prefix + ".png") ? 0 : 1;
    }
    const char* names[] = {"browser", "legman", "configure"};
    for (int page : {0, 2, 1}) {
        zenta::test::SelectPageByUser(window, page);
        if (page == 1) ShowFirstTopic(window);
        QTest::qWait(800);
        if (!Save(window, prefix + "-" + names[page] + ".png")) return 1;
    }
    // The Legman page is on top now, a topic shown.
    if (!TakeReadingAids(window, prefix)) return 1;
    if (!SaveProgressForm(prefix + "-progress.png")) return 1;
    messages.reset();  // the real box, to be seen
    const QString broken = QFileInfo(QString::fromLocal8Bit(argv[1])).absolutePath() + "/broken";
    return SaveStartUpFailure(broken, prefix + "-startup-failure.png") ? 0 : 1;
}
