// Add data on the real window: the dialog answered, the message boxes recorded, the main
// archive read back.
#include <QPushButton>
#include <QProgressBar>
#include <QRegularExpression>
#include <QTimer>

#include <filesystem>
#include <fstream>
#include <map>

#include "app/login.h"
#include "app/program.h"
#include "app/topic_list_model.h"
#include "archive/query.h"
#include "archive/topic_list.h"
#include "base/codepage.h"
#include "support/scoped_environment.h"
#include "ui_test_support.h"

using namespace zenta;
using namespace zenta::test;

namespace {

const QString kSelectFile = QStringLiteral("Please Select Target Data File！");
const QString kCollecting = QStringLiteral("Collecting Need A Few Time，Please Waiting... ...");
const QString kRestart =
    QStringLiteral("Date Collect Take Effect After Restart\rYou Can Collect Many Times Then Restart！");

// A main window whose dialog answers with `fileName` (or is cancelled when it is null).
struct AddDataWindow : StartedWindow {
    explicit AddDataWindow(const std::optional<QString>& fileName, const std::string& board = kSmallBoard,
                           Tlogin_dir* progress = nullptr)
        : StartedWindow(board, progress) {
        environment.Set("XDG_CACHE_HOME", folder.File("cache"));
        window->OpenDialog1.SetAnswer([fileName](QString& name, int&) {
            if (!fileName) return false;
            name = *fileName;
            return true;
        });
    }

    std::int64_t Rows(const char* table) {
        Query q(&window->ADOConnection1);
        q.SQL().Add(std::string("select count(*) from ") + table);
        q.Open();
        return q.Fields(0).integer();
    }

    QStringList Texts() const {
        QStringList texts;
        for (const auto& message : messages.messages) texts << message.text;
        return texts;
    }

    ScopedEnvironment environment;
};

// A native source of many rows, so that the copy reports progress several times (batches
// of 20,000 source rows); its path in `dir`.
std::string ManyRows(const TempDir& dir) {
    const std::string source = dir.File("board.mdb");
    if (RunCli("generate '" + source + "' --topics 30000 --replies 60000") != 0)
        QTest::qFail("zenta-cli generate failed", __FILE__, __LINE__);
    return source;
}

}  // namespace

class AddDataTest : public QObject {
    Q_OBJECT

private slots:
    void jetSourcesPlainAndCompressedAreMergedOnce_data();
    void jetSourcesPlainAndCompressedAreMergedOnce();
    void windowIsDisabledOnlyDuringTheCopyWithProgressShown();
    void cancelKeepsWholeBatchesAndListsEachTable();
    void cancelledOrBlankChoiceMergesNothing_data();
    void cancelledOrBlankChoiceMergesNothing();
    void fileThatIsNoArchiveGoesToTheDefaultReport_data();
    void fileThatIsNoArchiveGoesToTheDefaultReport();
    void fileNamedOnTheCommandLineIsOfferedForAddData_data();
    void fileNamedOnTheCommandLineIsOfferedForAddData();
};

void AddDataTest::jetSourcesPlainAndCompressedAreMergedOnce_data() {
    QTest::addColumn<QString>("fixture");
    QTest::addColumn<QString>("picked");
    QTest::newRow("Jet file") << QStringLiteral("sample-extra.mdb") << QStringLiteral("extra.mdb");
    QTest::newRow("compressed, extension in capitals")
        << QStringLiteral("sample-extra.znt") << QStringLiteral("Extra.ZNT");
    QTest::newRow(".znt before a further extension: plain")
        << QStringLiteral("sample-extra.mdb") << QStringLiteral("extra.znt.mdb");
    QTest::newRow("no extension: plain") << QStringLiteral("sample-extra.mdb") << QStringLiteral("extra");
}

void AddDataTest::jetSourcesPlainAndCompressedAreMergedOnce() {
    QFETCH(QString, fixture);
    QFETCH(QString, picked);
    if (!FixturesAvailable()) QSKIP("shared fixtures not present");
    TempDir dir;
    const std::string source = dir.File(picked.toStdString());
    std::filesystem::copy_file(FixturePath(fixture.toStdString()), source);
    AddDataWindow w(QString::fromStdString(source));
    const std::int64_t topics = w.Rows("FORUM_TOPICS");
    QTest::mouseClick(w.window->inmdb, Qt::LeftButton);
    QCOMPARE(
        w.Texts(),
        (QStringList{
            kCollecting,
            kRestart +
                QStringLiteral(
                    "\rFORUM_CATEGORY: 4 added, 1 already present, 0 not copied"
                    "\rFORUM_FORUM: 3 added, 1 already present, 0 not copied"
                    "\rFORUM_MEMBERS: 0 added, 0 already present, 0 not copied (the source archive has no such table)"
                    "\rFORUM_REPLY: 24 added, 0 already present, 0 not copied"
                    "\rFORUM_TOPICS: 10 added, 0 already present, 0 not copied")}));
    QCOMPARE(w.Rows("FORUM_TOPICS"), topics + 10);
    // Again: every row is refused as already present, and both messages show.
    w.messages.messages.clear();
    QTest::mouseClick(w.window->inmdb, Qt::LeftButton);
    QCOMPARE(w.Texts().size(), 2);
    QVERIFY(w.Texts()[1].contains(QStringLiteral("FORUM_TOPICS: 0 added, 10 already present, 0 not copied")));
    QCOMPARE(w.Rows("FORUM_TOPICS"), topics + 10);
    QVERIFY(w.window->isEnabled());
    QVERIFY(!w.window->rs.Active());
}

void AddDataTest::windowIsDisabledOnlyDuringTheCopyWithProgressShown() {
    TempDir dir;
    const std::string source = ManyRows(dir);
    Tlogin_dir progress;
    AddDataWindow w(QString::fromStdString(source), kSmallBoard, &progress);
    // Samples taken while the copy runs (after the waiting message, before the closing one).
    QList<bool> enabledDuringCopy;
    QList<bool> progressShown;
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout, [&] {
        if (w.messages.messages.size() != 1) return;
        enabledDuringCopy << w.window->isEnabled();
        progressShown << progress.isVisible();
    });
    sampler.start(0);
    QVERIFY(w.window->isEnabled());
    QTest::mouseClick(w.window->inmdb, Qt::LeftButton);
    sampler.stop();
    QCOMPARE(w.Texts().size(), 2);
    QVERIFY(!enabledDuringCopy.isEmpty());
    QVERIFY(!enabledDuringCopy.contains(true));
    QVERIFY(!progressShown.contains(false));
    QVERIFY(w.window->isEnabled());
    QVERIFY(!progress.isVisible());
    QCOMPARE(progress.progressbar1->value(), 100);
    QVERIFY(w.Texts()[1].contains(QStringLiteral("FORUM_REPLY: 60000 added")));
}

void AddDataTest::cancelKeepsWholeBatchesAndListsEachTable() {
    TempDir dir;
    const std::string source = ManyRows(dir);
    Tlogin_dir progress;
    AddDataWindow w(QString::fromStdString(source), kSmallBoard, &progress);
    const char* tables[] = {"FORUM_CATEGORY", "FORUM_FORUM", "FORUM_MEMBERS", "FORUM_REPLY", "FORUM_TOPICS"};
    std::map<QString, std::int64_t> before;
    for (const char* table : tables) before[table] = w.Rows(table);
    // The user presses Cancel once the copy has made some progress; the window keeps painting.
    int clicks = 0;
    QTimer user;
    QObject::connect(&user, &QTimer::timeout, [&] {
        if (w.messages.messages.size() != 1 || !progress.isVisible() || progress.progressbar1->value() == 0) return;
        if (!progress.cancelButton->isEnabled()) return;
        QTest::mouseClick(progress.cancelButton, Qt::LeftButton);
        ++clicks;
    });
    user.start(0);
    QTest::mouseClick(w.window->inmdb, Qt::LeftButton);
    user.stop();
    QCOMPARE(clicks, 1);
    QCOMPARE(w.Texts().size(), 2);
    QStringList lines = w.Texts()[1].split(u'\r');
    QCOMPARE(lines.mid(0, 3), (QStringList{QStringLiteral("Date Collect Cancelled，The Rows Collected Before Are Kept")} +
                               kRestart.split(u'\r')));
    lines = lines.mid(3);
    QCOMPARE(lines.size(), 5);
    // Each table's line tells the truth, and a cancelled table holds whole batches of 20,000 source rows.
    const QRegularExpression line(QStringLiteral("^(\\w+): (\\d+) added, (\\d+) already present, (\\d+) not copied(.*)$"));
    std::int64_t notCopied = 0;
    for (int i = 0; i < 5; ++i) {
        QRegularExpressionMatch m = line.match(lines[i]);
        QVERIFY2(m.hasMatch(), qPrintable(lines[i]));
        QCOMPARE(m.captured(1), QString(tables[i]));
        const std::int64_t added = m.captured(2).toLongLong();
        QCOMPARE(w.Rows(tables[i]), before[tables[i]] + added);
        notCopied += m.captured(4).toLongLong();
        if (m.captured(5) == QStringLiteral(" (cancelled)"))
            QCOMPARE((added + m.captured(3).toLongLong()) % 20000, 0);
    }
    QVERIFY(notCopied > 0);
    QVERIFY(w.window->isEnabled());
    QVERIFY(!progress.isVisible());
}

void AddDataTest::cancelledOrBlankChoiceMergesNothing_data() {
    QTest::addColumn<bool>("answered");
    QTest::addColumn<QString>("fileName");
    QTest::newRow("cancelled") << false << QString();
    QTest::newRow("blanks and a tab only") << true << QStringLiteral(" \t ");
}

void AddDataTest::cancelledOrBlankChoiceMergesNothing() {
    QFETCH(bool, answered);
    QFETCH(QString, fileName);
    AddDataWindow w(answered ? std::optional<QString>(fileName) : std::nullopt,
                    std::string(kSmallBoard) +
                        "insert into FORUM_MEMBERS values (1, 'Tom', NULL, 1);"
                        "insert into FORUM_TOPICS (TOPIC_ID, FORUM_ID, CAT_ID, T_AUTHOR, t_subject) "
                        "values (7, 1, 1, 1, 'Hello');");
    const std::int64_t categories = w.Rows("FORUM_CATEGORY");
    ListForumTopics(w.window->rs, w.window->ADOConnection1, ToNarrow("综合讨论"));
    w.window->DataSource1->Reload();
    QCOMPARE(w.window->DataSource1->rowCount(), 1);
    QTest::mouseClick(w.window->inmdb, Qt::LeftButton);
    QCOMPARE(w.Texts(), QStringList{kSelectFile});
    // The topic list is closed and the grid shows no rows, even though nothing was merged.
    QVERIFY(!w.window->rs.Active());
    QCOMPARE(w.window->DataSource1->rowCount(), 0);
    QCOMPARE(w.Rows("FORUM_CATEGORY"), categories);
    QVERIFY(w.window->isEnabled());
}

void AddDataTest::fileThatIsNoArchiveGoesToTheDefaultReport_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("bytes");
    QTest::addColumn<QString>("message");
    QTest::newRow("HTML page") << QStringLiteral("page.html") << QStringLiteral("<html><body>hello</body></html>")
                               << QStringLiteral("is not an archive");
    QTest::newRow("damaged compressed archive")
        << QStringLiteral("bad.znt") << QStringLiteral("\x10\x00\x00\x00xxxxxxxx") << QStringLiteral("error.");
}

void AddDataTest::fileThatIsNoArchiveGoesToTheDefaultReport() {
    QFETCH(QString, name);
    QFETCH(QString, bytes);
    QFETCH(QString, message);
    TempDir dir;
    const std::string path = dir.File(name.toStdString());
    std::ofstream(path, std::ios::binary) << bytes.toStdString();
    AddDataWindow w(QString::fromStdString(path));
    QTest::mouseClick(w.window->inmdb, Qt::LeftButton);
    QCOMPARE(w.messages.messages.size(), size_t{1});
    QCOMPARE(w.messages.messages[0].icon, MessageIcon::Error);
    QVERIFY2(w.messages.messages[0].text.contains(message), qPrintable(w.messages.messages[0].text));
    QVERIFY(w.window->isEnabled());
}

void AddDataTest::fileNamedOnTheCommandLineIsOfferedForAddData_data() {
    QTest::addColumn<QString>("fixture");
    QTest::addColumn<bool>("answer");
    QTest::newRow("compressed archive, yes") << QStringLiteral("sample-extra.znt") << true;
    QTest::newRow("Jet file, yes") << QStringLiteral("sample-extra.mdb") << true;
    QTest::newRow("compressed archive, no") << QStringLiteral("sample-extra.znt") << false;
}

void AddDataTest::fileNamedOnTheCommandLineIsOfferedForAddData() {
    QFETCH(QString, fixture);
    QFETCH(bool, answer);
    if (!FixturesAvailable()) QSKIP("shared fixtures not present");
    TempDir dir;
    ScopedEnvironment environment;
    environment.Set("XDG_CACHE_HOME", dir.File("cache"));
    const std::string main = dir.File("zenta.mdb");
    MakeArchive(main, kSmallBoard);
    const std::string named = dir.File(fixture.toStdString());
    std::filesystem::copy_file(FixturePath(fixture.toStdString()), named);
    MessageRecorder messages;
    messages.answer = answer;
    // The window closes once the boxes are all there (the question, then the two of Add data).
    const size_t expected = answer ? 3 : 1;
    bool shownWhenAsked = false;
    QTimer closer;
    connect(&closer, &QTimer::timeout, this, [&] {
        if (messages.messages.empty() || messages.messages.size() < expected || !zenta::index) return;
        shownWhenAsked = zenta::index->isVisible();
        zenta::index->close();
    });
    closer.start(50);
    QTimer guard;
    guard.setSingleShot(true);
    connect(&guard, &QTimer::timeout, [] { QApplication::exit(3); });
    guard.start(60000);
    QCOMPARE(RunProgram(QString::fromStdString(named), {main}), 0);
    QVERIFY(shownWhenAsked);
    QCOMPARE(messages.messages.size(), expected);
    QCOMPARE(messages.messages[0].icon, MessageIcon::Question);
    QCOMPARE(messages.messages[0].text,
             QStringLiteral("Add the data of \"%1\" to the main archive?").arg(QString::fromStdString(named)));
    Connection connection(main);
    Query topics(&connection);
    topics.SQL().Add("select count(*) from FORUM_TOPICS");
    topics.Open();
    if (answer) {
        QCOMPARE(messages.messages[1].text, kCollecting);
        QVERIFY2(messages.messages[2].text.contains(QStringLiteral("FORUM_TOPICS: 10 added")),
                 qPrintable(messages.messages[2].text));
        QCOMPARE(topics.Fields(0).integer(), std::int64_t{10});
    } else {
        QCOMPARE(topics.Fields(0).integer(), std::int64_t{0});
    }
    // The named file is only read.
    QVERIFY(ReadFile(named) == ReadFile(FixturePath(fixture.toStdString())));
}

ZENTA_UI_TEST_MAIN(AddDataTest)
#include "add_data_test.moc"
