// Favourites on the real window: Ctrl+D marks the topic on show and unmarks it, the list
// opens a mark with a click, marks outlive a merge and a new window, a mark whose topic the
// archive lacks shows greyed with its title, and a damaged file starts an empty list.
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTableView>
#include <QTreeWidget>

#include "app/favourites_list.h"
#include "app/page_control.h"
#include "app/reading_aids.h"
#include "browse/web_browser.h"
#include "support/scoped_environment.h"
#include "ui_test_support.h"

using namespace zenta;
using namespace zenta::test;

namespace {

// Another board than kForumWithTopics: topics 11 and 12 are other topics there, 10 is missing.
const char* const kOtherBoard = R"(
insert into FORUM_CATEGORY values (1, '编程语言', 0, 1, 0);
insert into FORUM_FORUM values (1, 1, '综合讨论', '', 0);
insert into FORUM_MEMBERS values (1, 'Tom', NULL, 0);
insert into FORUM_TOPICS (TOPIC_ID, FORUM_ID, CAT_ID, T_AUTHOR, t_subject, t_message) values
  (11, 1, 1, 1, 'not the same', 'x'), (12, 1, 1, 1, 'twelve', 'y');
)";

// Marks and caches in folders of their own, as XDG_DATA_HOME and XDG_CACHE_HOME give them.
struct UserHome {
    UserHome() {
        environment.Set("XDG_DATA_HOME", home.File("data"));
        environment.Set("XDG_CACHE_HOME", home.File("cache"));
    }
    TempDir home;
    ScopedEnvironment environment;
};

void OpenRow(Tindex& w, int row) {
    SelectPageByUser(w, 1);
    ClickForum(w, QStringLiteral("综合讨论"));
    const QRect cell = w.DBGrid1->visualRect(w.DBGrid1->model()->index(row, 0));
    QTest::mouseClick(w.DBGrid1->viewport(), Qt::LeftButton, {}, cell.center());
}

void Press(Tindex& w, Qt::Key key, Qt::KeyboardModifiers modifiers) {
    QWidget* target = QApplication::focusWidget();
    QTest::keyClick(target ? target : &w, key, modifiers);
}

// The list's rows as "title|author|date|greyed".
QStringList Rows(Tindex& w) {
    QStringList rows;
    QTreeWidget* items = w.aids->favouritesList->Items();
    for (int i = 0; i < items->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = items->topLevelItem(i);
        rows << QStringList{item->text(0), item->text(1), item->text(2),
                            item->isDisabled() ? QStringLiteral("grey") : QStringLiteral("")}
                    .join(QLatin1Char('|'));
    }
    return rows;
}

}  // namespace

class FavouritesTest : public QObject {
    Q_OBJECT

private slots:
    void markedTopicsOutliveAMergeAndANewWindow();
    void damagedFavouritesStartEmpty();
};

void FavouritesTest::markedTopicsOutliveAMergeAndANewWindow() {
    UserHome user;
    {
        StartedWindow started(kForumWithTopics);
        Tindex& w = *started.window;
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        OpenRow(w, 0);  // topic 12, newest first
        QVERIFY(WaitForLoad(w.listinfo));
        Press(w, Qt::Key_D, Qt::ControlModifier);
        QVERIFY(w.aids->favourites.Contains(12));
        Press(w, Qt::Key_D, Qt::ControlModifier);
        QVERIFY(!w.aids->favourites.Contains(12));
        Press(w, Qt::Key_D, Qt::ControlModifier);
        OpenRow(w, 1);
        QVERIFY(WaitForLoad(w.listinfo));
        Press(w, Qt::Key_D, Qt::ControlModifier);

        // A merge adds topics to the archive; the marks are not in it and stay as they were.
        TempDir source;
        MakeArchive(source.File("extra.mdb"),
                    "insert into FORUM_TOPICS (TOPIC_ID, FORUM_ID, CAT_ID, T_AUTHOR, t_subject, t_message) "
                    "values (30, 1, 1, 1, 'merged', 'z');");
        const QString picked = QString::fromStdString(source.File("extra.mdb"));
        w.OpenDialog1.SetAnswer([picked](QString& name, int&) {
            name = picked;
            return true;
        });
        QTest::mouseClick(w.inmdb, Qt::LeftButton);
        QCOMPARE(started.messages.messages.size(), size_t(2));

        Press(w, Qt::Key_O, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(w.aids->favouritesList->isVisible());
        QCOMPARE(Rows(w), QStringList({QStringLiteral("topic twelve|Tom|2003-04-07|"),
                                       QStringLiteral("第十一|Tom|2003-04-06|")}));
        // A click on a mark opens its topic on the Legman page.
        SelectPageByUser(w, 0);
        QTreeWidget* items = w.aids->favouritesList->Items();
        QTest::mouseClick(items->viewport(), Qt::LeftButton, {},
                          items->visualItemRect(items->topLevelItem(1)).center());
        QCOMPARE(w.PageControl1->currentIndex(), 1);
        QVERIFY(WaitForLoad(w.listinfo));
        QVERIFY(PageText(w.listinfo).contains(QStringLiteral("body of eleven")));
    }
    // Another run on another board: the marks are there; those it lacks are greyed.
    StartedWindow started(kOtherBoard);
    Tindex& w = *started.window;
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    Press(w, Qt::Key_O, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(Rows(w), QStringList({QStringLiteral("topic twelve|Tom|2003-04-07|grey"),
                                   QStringLiteral("第十一|Tom|2003-04-06|grey")}));
    QTreeWidget* items = w.aids->favouritesList->Items();
    QTest::mouseClick(items->viewport(), Qt::LeftButton, {}, items->visualItemRect(items->topLevelItem(0)).center());
    QCOMPARE(w.shownTopic, std::int64_t(0));
}

void FavouritesTest::damagedFavouritesStartEmpty() {
    UserHome user;
    const QString file = Favourites::DefaultFile();
    QCOMPARE(file, QString::fromStdString(user.home.File("data/zenta/favourites.json")));
    QDir().mkpath(QFileInfo(file).path());
    const QByteArray damaged = "[{\"topic\": 1, \"title\": \"cut off";
    QFile out(file);
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write(damaged);
    out.close();

    Favourites favourites(file);
    QVERIFY(favourites.Marks().empty());
    QFile aside(file + QStringLiteral(".damaged"));
    QVERIFY(aside.open(QIODevice::ReadOnly));
    QCOMPARE(aside.readAll(), damaged);
    // Marking works again on a fresh list.
    QVERIFY(favourites.Toggle({5, QStringLiteral("t"), QStringLiteral("a"), QStringLiteral("d")}));
    QCOMPARE(favourites.Marks().size(), size_t(1));
}

ZENTA_UI_TEST_MAIN(FavouritesTest)
#include "favourites_test.moc"
