// The window's remembered state: the first run's defaults, a change kept at once (as if the
// program were killed next), the whole state carried to a new window made from the same
// settings, and damaged settings that start the window with its defaults.
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QSettings>
#include <QTableView>
#include <QToolButton>
#include <QTreeWidget>

#include "app/page_control.h"
#include "app/radio_group.h"
#include "app/reading_aids.h"
#include "app/window_settings.h"
#include "app/zoom.h"
#include "support/scoped_environment.h"
#include "ui_test_support.h"

using namespace zenta;
using namespace zenta::test;

namespace {

// Settings in a folder of their own, as XDG_CONFIG_HOME gives them to the program.
struct ConfigHome {
    ConfigHome() { environment.Set("XDG_CONFIG_HOME", home.path()); }
    QString File() const { return WindowSettings::DefaultFile(); }
    TempDir home;
    ScopedEnvironment environment;
};

QVariant Stored(const QString& file, const QString& key) { return QSettings(file, QSettings::IniFormat).value(key); }

}  // namespace

class WindowSettingsTest : public QObject {
    Q_OBJECT

private slots:
    void firstRunKeepsTheDesignAndAChangeIsKeptAtOnce();
    void aNewWindowTakesTheWholeState();
    void damagedSettingsStartWithTheDefaults();
};

void WindowSettingsTest::firstRunKeepsTheDesignAndAChangeIsKeptAtOnce() {
    ConfigHome config;
    QCOMPARE(config.File(), QString::fromStdString(config.home.File("zenta/zenta.conf")));
    StartedWindow started;
    Tindex& w = *started.window;
    auto* settings = new WindowSettings(w, config.File());
    QVERIFY(!settings->Restore());
    QCOMPARE(w.size(), QSize(742, 558));
    QCOMPARE(w.PageControl1->currentIndex(), 0);
    w.show();
    // Nothing is closed or saved by hand: the file has each change soon after it.
    w.aids->browserZoom->ZoomIn();
    QTRY_COMPARE(Stored(config.File(), QStringLiteral("zoom/browser")).toDouble(), 1.1);
    SelectPageByUser(w, 2);
    QTRY_COMPARE(Stored(config.File(), QStringLiteral("window/page")).toInt(), 2);
}

void WindowSettingsTest::aNewWindowTakesTheWholeState() {
    ConfigHome config;
    {
        StartedWindow started(kForumWithTopics);
        Tindex& w = *started.window;
        (new WindowSettings(w, config.File()))->Restore();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.resize(900, 640);
        SelectPageByUser(w, 1);
        w.N2->trigger();
        w.RadioGroup1->SetItemIndex(1);
        w.Edit2->setText(QStringLiteral("Tom"));
        w.SpeedButton2->click();
        w.aids->infoZoom->SetFactor(1.5);
        w.aids->browserZoom->ZoomOut();
        QTRY_COMPARE(Stored(config.File(), QStringLiteral("zoom/browser")).toDouble(), 0.9);
        QTRY_COMPARE(Stored(config.File(), QStringLiteral("window/geometry")).toByteArray(), w.saveGeometry());
    }
    StartedWindow started(kForumWithTopics);
    Tindex& w = *started.window;
    QVERIFY((new WindowSettings(w, config.File()))->Restore());
    w.show();
    QCOMPARE(w.size(), QSize(900, 640));
    QCOMPARE(w.PageControl1->currentIndex(), 1);
    QVERIFY(w.TreeView1->isHidden());
    QCOMPARE(w.RadioGroup1->ItemIndex(), 1);
    QCOMPARE(w.Edit2->text(), QStringLiteral("Tom"));
    QVERIFY(w.DBGrid1->isVisible());
    QCOMPARE(w.DBGrid1->model()->rowCount(), 3);
    QCOMPARE(w.aids->infoZoom->Factor(), 1.5);
    QCOMPARE(w.aids->browserZoom->Factor(), 0.9);

    // The last forum clicked is listed again; maximized stays maximized.
    w.N1->trigger();
    ClickForum(w, QStringLiteral("综合讨论"));
    w.showMaximized();
    QTRY_VERIFY(Stored(config.File(), QStringLiteral("listing/kind")).toString() == QLatin1String("forum"));
    QTRY_COMPARE(Stored(config.File(), QStringLiteral("window/geometry")).toByteArray(), w.saveGeometry());
    StartedWindow again(kForumWithTopics);
    QVERIFY((new WindowSettings(*again.window, config.File()))->Restore());
    again.window->show();
    QVERIFY(again.window->isMaximized());
    QCOMPARE(again.window->TreeView1->currentItem()->text(0), QStringLiteral("综合讨论"));
    QCOMPARE(again.window->DBGrid1->model()->rowCount(), 3);
}

void WindowSettingsTest::damagedSettingsStartWithTheDefaults() {
    struct Case {
        const char* name;
        QByteArray content;
        bool setAside;
    };
    const Case cases[] = {
        {"unreadable: a section never closed", "[window\ngeometry=1\n", true},
        {"binary junk", QByteArray("\xff\xfe\x00\x01\n[\x80\x81\n=\n", 11), true},
        {"values that do not fit",
         "[window]\ngeometry=@ByteArray(not a geometry)\npage=7\ntree=maybe\n[search]\nkind=-3\n"
         "[zoom]\nbrowser=nan\ninfo=abc\n[listing]\nkind=forum\nforum=no, such, forum\n",
         false},
    };
    for (const Case& c : cases) {
        ConfigHome config;
        QDir().mkpath(QFileInfo(config.File()).path());
        QFile file(config.File());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(c.content);
        file.close();

        StartedWindow started;
        Tindex& w = *started.window;
        QVERIFY2(!(new WindowSettings(w, config.File()))->Restore(), c.name);
        QVERIFY2(started.messages.messages.empty(), c.name);
        QVERIFY2(w.size() == QSize(742, 558), c.name);
        QVERIFY2(w.PageControl1->currentIndex() == 0, c.name);
        QVERIFY2(w.TreeView1->isHidden(), c.name);
        QVERIFY2(w.RadioGroup1->ItemIndex() == 0, c.name);
        QVERIFY2(w.aids->browserZoom->Factor() == 1.0 && w.aids->infoZoom->Factor() == 1.0, c.name);
        QVERIFY2(w.Panel1->isVisibleTo(w.TabSheet2), c.name);
        // Nothing is lost: a file Qt cannot read is kept beside the new one.
        QFile aside(config.File() + QStringLiteral(".damaged"));
        QVERIFY2(aside.exists() == c.setAside, c.name);
        if (c.setAside) {
            QVERIFY2(aside.open(QIODevice::ReadOnly) && aside.readAll() == c.content, c.name);
        }
    }
}

ZENTA_UI_TEST_MAIN(WindowSettingsTest)
#include "window_settings_test.moc"
