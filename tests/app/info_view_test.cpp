// Loading pages from memory into the info view, and the web view layer's own promises: no
// document before the first navigation, "about:" texts, no scripts in the info view.
#include <QSignalSpy>
#include <QWebEngineSettings>

#include "base/codepage.h"
#include "browse/page_scheme.h"
#include "browse/web_browser.h"
#include "browse/info_view_loader.h"
#include "ui_test_support.h"

using namespace zenta;
using namespace zenta::test;

class InfoViewTest : public QObject {
    Q_OBJECT

private slots:
    void neverNavigatedViewIsLeftAlone();
    void pagesReachTheDocumentAsGb18030_data();
    void pagesReachTheDocumentAsGb18030();
    void secondPageReplacesTheFirst();
    void fiveMegabytePageIsShownWhole();
    void infoViewRunsNoScripts();
    void aboutAddressShowsItsText();
    void historyMovesWithoutAPageRaise();
    void pageDoesNotNavigateOnItsOwnButALinkClickDoes_data();
    void pageDoesNotNavigateOnItsOwnButALinkClickDoes();
};

void InfoViewTest::neverNavigatedViewIsLeftAlone() {
    WebBrowser view;
    QSignalSpy loads(&view, &QWebEngineView::loadStarted);
    QVERIFY(view.Document() == nullptr);
    LoadHtmlIntoBrowser(&view, "<p>never shown</p>");
    QVERIFY(!loads.wait(1000));
    QVERIFY(view.Document() == nullptr);
    QVERIFY(view.url().isEmpty());
}

void InfoViewTest::pagesReachTheDocumentAsGb18030_data() {
    QTest::addColumn<QString>("html");
    QTest::addColumn<QString>("text");
    QTest::newRow("empty text") << QString() << QString();
    QTest::newRow("GBK text, no charset declared")
        << QStringLiteral("<p>標題：中文　測試 ＡＢＣ €</p>") << QStringLiteral("標題：中文　測試 ＡＢＣ €");
    QTest::newRow("outside GBK, kept by GB18030") << QStringLiteral("<p>𠀀 ㄅ</p>") << QStringLiteral("𠀀 ㄅ");
}

void InfoViewTest::pagesReachTheDocumentAsGb18030() {
    QFETCH(QString, html);
    QFETCH(QString, text);
    StartedWindow started;
    WebBrowser* view = started.window->listinfo;
    QVERIFY(WaitForLoad(view));
    // Nothing may lean on the view's default encoding: only the served type says GB18030.
    view->settings()->setDefaultTextEncoding(QStringLiteral("ISO-8859-1"));
    LoadHtmlIntoBrowser(view, ToNarrow(html.toStdString()));
    QVERIFY(WaitForLoad(view));
    QCOMPARE(PageText(view), text);
}

void InfoViewTest::secondPageReplacesTheFirst() {
    StartedWindow started;
    WebBrowser* view = started.window->listinfo;
    QVERIFY(WaitForLoad(view));
    LoadHtmlIntoBrowser(view, ToNarrow("<p>第一页</p>"));
    LoadHtmlIntoBrowser(view, ToNarrow("<p>第二页</p>"));
    QTRY_COMPARE_WITH_TIMEOUT(PageText(view), QStringLiteral("第二页"), 20000);
    LoadHtmlIntoBrowser(view, ToNarrow("<p>第三页</p>"));
    QTRY_COMPARE_WITH_TIMEOUT(PageText(view), QStringLiteral("第三页"), 20000);
}

void InfoViewTest::fiveMegabytePageIsShownWhole() {
    StartedWindow started;
    WebBrowser* view = started.window->listinfo;
    QVERIFY(WaitForLoad(view));
    const std::string line = ToNarrow("<p>一行中文文字，重复很多次。</p>\n");
    std::string page = "<html><body>";
    while (page.size() < 5u * 1024 * 1024) page += line;
    page += ToNarrow("<p>终点</p></body></html>");
    LoadHtmlIntoBrowser(view, page);
    QVERIFY(WaitForLoad(view, 60000));
    const QString text = PageText(view);
    QVERIFY(text.startsWith(QStringLiteral("一行中文文字")));
    QVERIFY(text.endsWith(QStringLiteral("终点")));
    QVERIFY(text.size() > 2 * 1024 * 1024);
}

void InfoViewTest::infoViewRunsNoScripts() {
    StartedWindow started;
    Tindex& w = *started.window;
    QVERIFY(started.WaitForFirstPages());
    const std::string page = "<title>quiet</title><p>text</p><script>document.title = 'ran';</script>";
    // The main browser, which runs scripts, shows the check would see one.
    w.WebBrowser1->LoadPage(QByteArray::fromStdString(page), "text/html");
    QTRY_COMPARE_WITH_TIMEOUT(w.WebBrowser1->title(), QStringLiteral("ran"), 20000);
    LoadHtmlIntoBrowser(w.listinfo, page);
    QVERIFY(WaitForLoad(w.listinfo));
    QCOMPARE(PageText(w.listinfo), QStringLiteral("text"));
    QCOMPARE(w.listinfo->title(), QStringLiteral("quiet"));
}

void InfoViewTest::aboutAddressShowsItsText() {
    WebBrowser view;
    BrowserNavigate(&view, QStringLiteral("about:Hello <b>there</b>"));
    QVERIFY(view.Document() != nullptr);
    QVERIFY(WaitForLoad(&view));
    QCOMPARE(PageText(&view), QStringLiteral("Hello there"));
}

void InfoViewTest::historyMovesWithoutAPageRaise() {
    WebBrowser view;
    QVERIFY_THROWS_EXCEPTION(BrowserError, view.GoBack());
    QVERIFY_THROWS_EXCEPTION(BrowserError, view.GoForward());
    view.Stop();
}

void InfoViewTest::pageDoesNotNavigateOnItsOwnButALinkClickDoes_data() {
    QTest::addColumn<QString>("html");  // %1: the address of another page in memory
    QTest::addColumn<bool>("clicked");
    QTest::addColumn<bool>("moves");
    QTest::newRow("refresh to another page") << QStringLiteral("<meta http-equiv=refresh content='0;url=%1'>") << false
                                             << false;
    QTest::newRow("refresh to a file: address")
        << QStringLiteral("<meta http-equiv=refresh content='0;url=file:///etc/hostname'>") << false << false;
    QTest::newRow("refresh of the page itself") << QStringLiteral("<meta http-equiv=refresh content='0'>") << false
                                                << false;
    QTest::newRow("form the user submits") << QStringLiteral("<form action='%1'><input type=submit "
                                                             "style='display:block;width:100%;height:400px'></form>")
                                           << true << false;
    QTest::newRow("link the user clicks")
        << QStringLiteral("<a href='%1' style='display:block;width:100%;height:400px'>next</a>") << true << true;
}

void InfoViewTest::pageDoesNotNavigateOnItsOwnButALinkClickDoes() {
    QFETCH(QString, html);
    QFETCH(bool, clicked);
    QFETCH(bool, moves);
    StartedWindow started;
    Tindex& w = *started.window;
    w.show();
    SelectPageByUser(w, 1);
    WebBrowser* view = w.listinfo;
    QVERIFY(WaitForLoad(view));
    const QUrl other = PutPage("<title>other</title><p>other page</p>", "text/html");
    LoadHtmlIntoBrowser(view, "<body style='margin:0'><p>message</p>" + html.arg(other.toString()).toStdString() +
                                  "</body>");
    QVERIFY(WaitForLoad(view));
    const QUrl shown = view->url();
    QSignalSpy loads(view, &QWebEngineView::loadStarted);
    if (clicked) QTest::mouseClick(view->focusProxy(), Qt::LeftButton, {}, QPoint(20, 60));
    if (moves) {
        QTRY_COMPARE(view->url(), other);
    } else {
        QTest::qWait(1500);
        QCOMPARE(view->url(), shown);
        QVERIFY(PageText(view).startsWith(QStringLiteral("message")));
    }
    DropPage(other);
    QVERIFY(started.messages.messages.empty());
}

ZENTA_UI_TEST_MAIN(InfoViewTest)
#include "info_view_test.moc"
