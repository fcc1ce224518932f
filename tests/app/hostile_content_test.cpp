// An archived message written to attack the reader: a script, a frame and an image taken
// from local files, and a javascript: link. In the info view nothing of it runs and nothing
// local is read into the page, while the rest of the message shows. The same page opened
// from a file, where the engine does read local files, shows that the checks would see it.
#include <QJsonDocument>
#include <QImage>
#include <QJsonArray>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTimer>
#include <QWebEngineScript>

#include <fstream>

#include "base/codepage.h"
#include "browse/web_browser.h"
#include "browse/info_view_loader.h"
#include "ui_test_support.h"

using namespace zenta;
using namespace zenta::test;

namespace {

std::string HostileMessage(const std::string& folder) {
    return "<title>quiet</title><p>before</p>"
           "<script>document.title = 'ran';</script>"
           "<iframe src=\"file://" +
           folder +
           "/secret.html\"></iframe>"
           "<img src=file://" +
           folder +
           "/pixel.png>"
           "<a id=link href=\"javascript:document.title='clicked'\">click me</a>"
           "<p>after</p>";
}

// What the page received, read from a script world of the test's own (page scripts are off
// in the info view; this world is not): the image's width and where the link is.
QJsonObject Inspect(WebBrowser* view) {
    QJsonObject result;
    bool done = false;
    QEventLoop loop;
    view->page()->runJavaScript(
        QStringLiteral("JSON.stringify({width: document.images[0].naturalWidth,"
                       "link: (r => [r.x + r.width / 2, r.y + r.height / 2])(document.getElementById('link')"
                       ".getBoundingClientRect())})"),
        QWebEngineScript::ApplicationWorld, [&](const QVariant& json) {
            result = QJsonDocument::fromJson(json.toString().toUtf8()).object();
            done = true;
            loop.quit();
        });
    QTimer::singleShot(20000, &loop, &QEventLoop::quit);
    if (!done) loop.exec();
    return result;
}

}  // namespace

class HostileContentTest : public QObject {
    Q_OBJECT

private slots:
    void infoViewShowsTheTextAndNothingElse();
};

void HostileContentTest::infoViewShowsTheTextAndNothingElse() {
    TempDir files;
    QImage pixel(1, 1, QImage::Format_RGB32);
    pixel.fill(Qt::red);
    QVERIFY(pixel.save(QString::fromStdString(files.File("pixel.png"))));
    std::ofstream(files.File("secret.html")) << "<p>secret</p>";
    const std::string message = HostileMessage(files.path());
    std::ofstream(files.File("message.html")) << message;

    // Opened from a file in a view of its own, the page does read the local files: the frame's
    // text shows and the image has its width.
    WebBrowser control;
    QList<QUrl> controlNavigations;
    control.OnBeforeNavigate2 = [&](QObject*, const QUrl& address, bool&) { controlNavigations.append(address); };
    control.Navigate(QStringLiteral("file://") + QString::fromStdString(files.File("message.html")));
    QVERIFY(WaitForLoad(&control));
    QTRY_VERIFY_WITH_TIMEOUT(PageText(&control).contains(QStringLiteral("secret")), 20000);
    QVERIFY(controlNavigations.contains(QUrl::fromLocalFile(QString::fromStdString(files.File("secret.html")))));
    QTRY_COMPARE_WITH_TIMEOUT(Inspect(&control).value("width").toInt(), 1, 20000);

    StartedWindow started;
    Tindex& w = *started.window;
    QVERIFY(WaitForLoad(w.listinfo));
    LoadHtmlIntoBrowser(w.listinfo, ToNarrow(message));
    QVERIFY(WaitForLoad(w.listinfo));
    QTest::qWait(500);  // time for the frame and the image, were they to be fetched
    const QString text = PageText(w.listinfo).simplified();
    QCOMPARE(text, QStringLiteral("before click me after"));
    QCOMPARE(w.listinfo->title(), QStringLiteral("quiet"));
    const QJsonObject seen = Inspect(w.listinfo);
    QCOMPARE(seen.value("width").toInt(), 0);

    // A real click on the javascript: link runs nothing either.
    const QJsonArray link = seen.value("link").toArray();
    QTest::mouseClick(w.listinfo->focusProxy(), Qt::LeftButton, {}, QPoint(link.at(0).toInt(), link.at(1).toInt()));
    QTest::qWait(500);
    QCOMPARE(w.listinfo->title(), QStringLiteral("quiet"));
    QCOMPARE(PageText(w.listinfo).simplified(), text);
}

ZENTA_UI_TEST_MAIN(HostileContentTest)
#include "hostile_content_test.moc"
