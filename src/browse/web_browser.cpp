// The web view layer; see web_browser.h.
#include "browse/web_browser.h"

#include <QDesktopServices>
#include <QDir>
#include <QWebEngineNewWindowRequest>
#include <QWebEnginePage>
#include <QWebEngineHistory>
#include <QWebEngineSettings>

#include "browse/page_scheme.h"

namespace zenta {
namespace {

// The text the old control gave for a refused history move.
const char* const kUnspecifiedError = "未指定的错误";

}  // namespace

class WebBrowser::Page : public QWebEnginePage {
public:
    Page(WebBrowser* view) : QWebEnginePage(view), view_(view) {}

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType, bool) override { return view_->BeforeNavigate(url); }

private:
    WebBrowser* view_;
};

WebBrowser::WebBrowser(QWidget* parent) : QWebEngineView(parent) {
    setPage(new Page(this));
    InstallPageScheme(page()->profile());
    // Archive pages carry no charset; they are GBK, which GB18030 reads unchanged.
    settings()->setDefaultTextEncoding(QStringLiteral("GB18030"));
    connect(page(), &QWebEnginePage::newWindowRequested, this,
            [this](QWebEngineNewWindowRequest& request) { NewWindowRequested(request); });
    connect(page(), &QWebEnginePage::loadStarted, this, [this] { navigated_ = true; });
}

WebBrowser::~WebBrowser() {
    if (!memoryPage_.isEmpty()) DropPage(memoryPage_);
}

void WebBrowser::Navigate(const QString& address) {
    if (address.startsWith(QLatin1String("about:"), Qt::CaseInsensitive) &&
        address.compare(QLatin1String("about:blank"), Qt::CaseInsensitive) != 0) {
        // Chromium refuses such addresses; the old control showed the text as the page.
        LoadPage(address.mid(6).toUtf8(), QByteArrayLiteral("text/html;charset=UTF-8"));
        return;
    }
    // Blanks alone lead nowhere, as the old control showed: an empty page.
    const QUrl url = address.trimmed().isEmpty() ? QUrl(QStringLiteral("about:blank"))
                                                 : QUrl::fromUserInput(address, QDir::currentPath());
    if (!url.isValid()) throw BrowserError(("无效的地址: " + address).toStdString());
    navigated_ = true;
    load(url);
}

void WebBrowser::Navigate2(const QVariant& address) { Navigate(address.toString()); }

void WebBrowser::GoBack() {
    if (!history()->canGoBack()) throw BrowserError(kUnspecifiedError);
    back();
}

void WebBrowser::GoForward() {
    if (!history()->canGoForward()) throw BrowserError(kUnspecifiedError);
    forward();
}

void WebBrowser::Stop() { stop(); }

void WebBrowser::LoadPage(QByteArray bytes, QByteArray contentType) {
    navigated_ = true;
    if (!memoryPage_.isEmpty()) DropPage(memoryPage_);
    memoryPage_ = PutPage(std::move(bytes), std::move(contentType));
    load(memoryPage_);
}

void WebBrowser::NewWindowRequested(QWebEngineNewWindowRequest& request) {
    WebBrowser* browser = nullptr;
    bool cancel = false;
    if (OnNewWindow2) OnNewWindow2(this, browser, cancel);
    if (cancel) return;
    if (browser) {
        browser->navigated_ = true;
        request.openIn(browser->page());
    } else {
        QDesktopServices::openUrl(request.requestedUrl());
    }
}

bool WebBrowser::BeforeNavigate(const QUrl& address) {
    bool cancel = false;
    if (OnBeforeNavigate2) OnBeforeNavigate2(this, address, cancel);
    return !cancel;
}

}  // namespace zenta
