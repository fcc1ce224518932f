// The topic list in the real window: a forum click fills the grid, a click on a topic cell
// shows its page in the info view, and a search fills the grid or shows the prompt.
#include <QFrame>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTabBar>
#include <QTableView>
#include <QToolButton>
#include <QTreeWidget>

#include "app/page_control.h"
#include "app/radio_group.h"
#include "app/topic_list_model.h"
#include "browse/web_browser.h"
#include "ui_test_support.h"

using namespace zenta;
using namespace zenta::test;

namespace {

// Root > 编程语言 > (综合讨论 with two topics, 空论坛 without), and 大论坛 with 2,000 topics.
std::string Board() {
    std::string sql = R"(
insert into FORUM_CATEGORY values (1, '编程语言', 0, 1, 0);
insert into FORUM_FORUM values (1, 1, '综合讨论', '', 0), (2, 1, '空论坛', '', 0), (3, 1, '大论坛', '', 0);
insert into FORUM_MEMBERS values (1, '来啊', NULL, 0), (2, 'Tom', NULL, 0);
insert into FORUM_TOPICS (TOPIC_ID, FORUM_ID, CAT_ID, T_AUTHOR, t_subject, t_view_count, t_date, t_message, t_kind,
                          t_language, t_good, T_REPLIES) values
  (10, 1, 1, 1, '第一个话题', 7, '20021231', '正文'||char(13)||char(10)||'第二行', 1, 2, 'Y', 1),
  (11, 1, 1, 2, 'Second topic', NULL, NULL, 'text', NULL, NULL, NULL, NULL);
insert into FORUM_REPLY values (1, 10, 2, '回复正文', '20030101', 1);
with recursive n(i) as (select 1 union all select i + 1 from n where i < 2000)
insert into FORUM_TOPICS (TOPIC_ID, FORUM_ID, CAT_ID, T_AUTHOR, t_subject, t_message)
  select 1000 + i, 3, 1, 2, 'big ' || i, 'message ' || i from n;
insert into FORUM_TOPICS (TOPIC_ID, FORUM_ID, CAT_ID, T_AUTHOR, t_subject, t_message)
  values (5000, 3, 1, 2, 'long', replace(printf('%.5000c', '*'), '*', '长') || 'END');
)";
    return sql;
}

QTreeWidgetItem* Node(Tindex& w, const QString& caption) {
    QList<QTreeWidgetItem*> found = w.TreeView1->findItems(caption, Qt::MatchExactly | Qt::MatchRecursive);
    return found.isEmpty() ? nullptr : found.first();
}

void ClickNode(Tindex& w, QTreeWidgetItem* node) {
    for (QTreeWidgetItem* up = node->parent(); up; up = up->parent()) up->setExpanded(true);
    QRect place = w.TreeView1->visualItemRect(node);
    QTest::mouseClick(w.TreeView1->viewport(), Qt::LeftButton, {}, place.center());
}

void ClickCell(Tindex& w, int row, int column) {
    QRect place = w.DBGrid1->visualRect(w.DBGrid1->model()->index(row, column));
    QTest::mouseClick(w.DBGrid1->viewport(), Qt::LeftButton, {}, place.center());
}

// The window shown on its Legman page, where the tree, the grid and the search panel are.
void ShowLegman(Tindex& w) {
    w.show();
    QTabBar* tabs = w.PageControl1->findChild<QTabBar*>();
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(1).center());
    QVERIFY(QTest::qWaitForWindowExposed(&w));
}

}  // namespace

class TopicListWindowTest : public QObject {
    Q_OBJECT

private slots:
    void forumClickListsItsTopicsAndACellShowsThePage();
    void nodesThatListNothingShowTheSearchPanel();
    void searchFillsTheGridOrShowsThePrompt();
    void aSearchWithoutMatchShowsAnEmptyGridWhereAClickDoesNothing();
    void aFailedListingIsSilentAndAFailedSearchIsReported();
    void aLongListIsReadAsItComesIntoView();
    void aRowIsShownByItsKeyWhateverItsType_data();
    void aRowIsShownByItsKeyWhateverItsType();
};

void TopicListWindowTest::forumClickListsItsTopicsAndACellShowsThePage() {
    StartedWindow started(Board());
    Tindex& w = *started.window;
    ShowLegman(w);
    QVERIFY(WaitForLoad(w.listinfo));
    ClickNode(w, Node(w, QStringLiteral("综合讨论")));
    QVERIFY(w.DBGrid1->isVisible());
    QVERIFY(!w.Panel1->isVisible());
    QAbstractItemModel* grid = w.DBGrid1->model();
    QCOMPARE(grid->rowCount(), 2);
    const char* names[] = {"Title",     "ReadingTimes", "Speaker",    "SpeakDate", "TOPIC_ID",
                           "t_message", "t_kind",       "t_language", "t_good",    "T_REPLIES"};
    QCOMPARE(grid->columnCount(), 10);
    for (int i = 0; i < 10; ++i) QCOMPARE(grid->headerData(i, Qt::Horizontal).toString(), QString(names[i]));
    QCOMPARE(grid->data(grid->index(0, 0)).toString(), QStringLiteral("Second topic"));
    QCOMPARE(grid->data(grid->index(1, 2)).toString(), QStringLiteral("来啊"));
    QVERIFY(!(grid->flags(grid->index(0, 0)) & Qt::ItemIsEditable));
    QVERIFY(!w.DBGrid1->horizontalHeader()->sectionsMovable());

    // Any cell of a row gives the row's page; the same row again builds it again.
    for (int column : {0, 7, 7}) {
        QSignalSpy loaded(w.listinfo, &QWebEngineView::loadFinished);
        ClickCell(w, 1, column);
        QVERIFY(loaded.wait(20000));
        QString text = PageText(w.listinfo);
        QVERIFY2(text.contains(
                     QStringLiteral("第一个话题->回复:1\n来啊-【问题】-【BCB】-【黄金文章】:7\n发言日期:2002-12-31")),
                 qPrintable(text));
        QVERIFY(text.contains(QStringLiteral("正文\n第二行")));
        QVERIFY(text.contains(QStringLiteral("Tom\n日期:2003-01-01")));
        QVERIFY(text.contains(QStringLiteral("回复正文")));
    }
    // Nulls in the header show as empty text.
    QSignalSpy loaded(w.listinfo, &QWebEngineView::loadFinished);
    ClickCell(w, 0, 3);
    QVERIFY(loaded.wait(20000));
    QVERIFY(PageText(w.listinfo)
                .contains(QStringLiteral("Second topic->回复:\nTom-【未知】-【未指定】-【普通文章】:\n发言日期:")));
    QVERIFY(started.messages.messages.empty());
}

void TopicListWindowTest::nodesThatListNothingShowTheSearchPanel() {
    StartedWindow started(Board());
    Tindex& w = *started.window;
    ShowLegman(w);
    for (const QString& caption :
         {QStringLiteral("空论坛"), QStringLiteral("编程语言"), QStringLiteral("RORUZA Zenta BBS")}) {
        ClickNode(w, Node(w, QStringLiteral("综合讨论")));
        QVERIFY(w.DBGrid1->isVisible());
        ClickNode(w, Node(w, caption));
        QVERIFY2(!w.DBGrid1->isVisible(), qPrintable(caption));
        QVERIFY(w.Panel1->isVisible());
    }
    QVERIFY(started.messages.messages.empty());
}

void TopicListWindowTest::searchFillsTheGridOrShowsThePrompt() {
    StartedWindow started(Board());
    Tindex& w = *started.window;
    ShowLegman(w);
    QVERIFY(WaitForLoad(w.listinfo));
    w.RadioGroup1->SetItemIndex(1);
    w.Edit2->setText(QStringLiteral("  来 "));
    QTest::mouseClick(w.SpeedButton2, Qt::LeftButton);
    QVERIFY(w.DBGrid1->isVisible());
    QVERIFY(!w.Panel1->isVisible());
    QCOMPARE(w.DBGrid1->model()->rowCount(), 1);

    w.BitBtn1->click();  // back to the search panel, the list kept
    QVERIFY(w.Panel1->isVisible());
    QVERIFY(!w.DBGrid1->isVisible());
    w.Edit2->setText(QStringLiteral(" \t "));
    QSignalSpy loaded(w.listinfo, &QWebEngineView::loadFinished);
    QTest::mouseClick(w.SpeedButton2, Qt::LeftButton);
    QVERIFY(loaded.wait(20000));
    QCOMPARE(PageText(w.listinfo).trimmed(), QStringLiteral("Please Input Query Condition，Thanks!"));
    QVERIFY(w.Panel1->isVisible());
    QVERIFY(!w.DBGrid1->isVisible());
    // Blank words left the list as it was: the hide button brings the grid back with it.
    w.SpeedButton1->click();
    QVERIFY(w.DBGrid1->isVisible());
    QCOMPARE(w.DBGrid1->model()->rowCount(), 1);
}

void TopicListWindowTest::aSearchWithoutMatchShowsAnEmptyGridWhereAClickDoesNothing() {
    StartedWindow started(Board());
    Tindex& w = *started.window;
    ShowLegman(w);
    QVERIFY(WaitForLoad(w.listinfo));
    w.Edit2->setText(QStringLiteral("no such title"));
    QTest::mouseClick(w.SpeedButton2, Qt::LeftButton);
    QVERIFY(w.DBGrid1->isVisible());
    QCOMPARE(w.DBGrid1->model()->rowCount(), 0);
    QSignalSpy started_(w.listinfo, &QWebEngineView::loadStarted);
    QTest::mouseClick(w.DBGrid1->viewport(), Qt::LeftButton, {}, QPoint(20, 20));
    w.DBGrid1CellClick(w.DBGrid1);
    // A closed list: the grid shows no rows, and a click does nothing either.
    w.rs.Close();
    w.DataSource1->Reload();
    QCOMPARE(w.DBGrid1->model()->rowCount(), 0);
    w.DBGrid1CellClick(w.DBGrid1);
    QTest::qWait(300);
    QCOMPARE(started_.count(), 0);
    QVERIFY(started.messages.messages.empty());
}

void TopicListWindowTest::aFailedListingIsSilentAndAFailedSearchIsReported() {
    StartedWindow started(Board() + "drop table FORUM_MEMBERS;");
    Tindex& w = *started.window;
    ShowLegman(w);
    ClickNode(w, Node(w, QStringLiteral("综合讨论")));
    QVERIFY(!w.DBGrid1->isVisible());
    QVERIFY(w.Panel1->isVisible());
    QVERIFY(started.messages.messages.empty());

    w.Edit2->setText(QStringLiteral("topic"));
    QTest::mouseClick(w.SpeedButton2, Qt::LeftButton);
    QCOMPARE(started.messages.messages.size(), size_t(1));
    QVERIFY2(started.messages.messages[0].text.contains(QStringLiteral("FORUM_MEMBERS")),
             qPrintable(started.messages.messages[0].text));
    QVERIFY(w.Panel1->isVisible());
    QVERIFY(!w.DBGrid1->isVisible());
    QVERIFY(!w.rs.Active());
}

void TopicListWindowTest::aLongListIsReadAsItComesIntoView() {
    StartedWindow started(Board());
    Tindex& w = *started.window;
    ShowLegman(w);
    ClickNode(w, Node(w, QStringLiteral("大论坛")));
    QAbstractItemModel* grid = w.DBGrid1->model();
    int first = grid->rowCount();
    QVERIFY2(first > 0 && first < 2001, qPrintable(QString::number(first)));
    // The grid keeps the start of a long message; its page shows all of it.
    QString start = grid->data(grid->index(0, 5)).toString();
    QVERIFY2(start.startsWith(QStringLiteral("长长")) && start.size() < 1000,
             qPrintable(QString::number(start.size())));
    QSignalSpy loaded(w.listinfo, &QWebEngineView::loadFinished);
    ClickCell(w, 0, 0);
    QVERIFY(loaded.wait(20000));
    QString page = PageText(w.listinfo);
    QVERIFY2(page.contains(QString(5000, QChar(0x957F)) + QStringLiteral("END")), qPrintable(page.left(200)));
    for (int scrolls = 0; scrolls < 100 && grid->canFetchMore(QModelIndex()); ++scrolls) {
        w.DBGrid1->scrollToBottom();
        QCoreApplication::processEvents();
    }
    QCOMPARE(grid->rowCount(), 2001);
    QCOMPARE(grid->data(grid->index(2000, 0)).toString(), QStringLiteral("big 1"));
}

void TopicListWindowTest::aRowIsShownByItsKeyWhateverItsType_data() {
    QTest::addColumn<QString>("type");  // TOPIC_ID's declared type, as a Jet file may give it
    QTest::addColumn<QString>("key");   // the key, as SQL
    QTest::addColumn<bool>("shown");
    QTest::newRow("real number with a fraction") << QStringLiteral("REAL") << QStringLiteral("10.5") << true;
    QTest::newRow("whole real number") << QStringLiteral("REAL") << QStringLiteral("12") << true;
    QTest::newRow("text key") << QStringLiteral("TEXT") << QStringLiteral("'k7'") << true;
    QTest::newRow("text that reads as a number") << QStringLiteral("TEXT") << QStringLiteral("'0012'") << true;
    QTest::newRow("Null key: nothing") << QStringLiteral("REAL") << QStringLiteral("NULL") << false;
}

void TopicListWindowTest::aRowIsShownByItsKeyWhateverItsType() {
    QFETCH(QString, type);
    QFETCH(QString, key);
    QFETCH(bool, shown);
    StartedWindow started(std::string(kSmallBoard) +
                          "insert into FORUM_MEMBERS values (1, 'Tom', NULL, 0);"
                          "drop table FORUM_TOPICS;"
                          "create table FORUM_TOPICS (TOPIC_ID " + type.toStdString() +
                          ", FORUM_ID INTEGER, CAT_ID INTEGER, T_AUTHOR INTEGER, t_subject TEXT, t_view_count INTEGER,"
                          " t_date TEXT, t_message TEXT, t_kind INTEGER, t_language INTEGER, t_good TEXT,"
                          " T_REPLIES INTEGER, T_LAST_POST TEXT);"
                          "insert into FORUM_TOPICS (TOPIC_ID, FORUM_ID, CAT_ID, T_AUTHOR, t_subject, t_message) "
                          "values (" + key.toStdString() + ", 1, 1, 1, 'Keyed topic', 'keyed message');");
    Tindex& w = *started.window;
    ShowLegman(w);
    QVERIFY(WaitForLoad(w.listinfo));
    ClickNode(w, Node(w, QStringLiteral("综合讨论")));
    QCOMPARE(w.DBGrid1->model()->rowCount(), 1);
    QSignalSpy loaded(w.listinfo, &QWebEngineView::loadFinished);
    ClickCell(w, 0, 0);
    QCOMPARE(loaded.wait(shown ? 20000 : 1000), shown);
    if (shown) QVERIFY(PageText(w.listinfo).contains(QStringLiteral("keyed message")));
    QVERIFY(started.messages.messages.empty());
}

ZENTA_UI_TEST_MAIN(TopicListWindowTest)
#include "topic_list_window_test.moc"
