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

// Only these reach the desktop's opener: a file:, smb: or custom handler address in a
// stranger's page must not run a program or open a share.
bool IsWebAddress(const QUrl& address) {
    const QString scheme = address.scheme().toLower();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https");
}

// A link the user clicked, a move in the history, or an address given from code.
bool IsUsersNavigation(QWebEnginePage::NavigationType type) {
    switch (type) {
        case QWebEnginePage::NavigationTypeLinkClicked:
        case QWebEnginePage::NavigationTypeTyped:
        case QWebEnginePage::NavigationTypeBackForward:
            return true;
        default:
            return false;
    }
}

}  // namespace

class WebBrowser::Page : public QWebEnginePage {
public:
    Page(WebBrowser* view) : QWebEnginePage(view), view_(view) {}

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override {
        return view_->BeforeNavigate(url, type, isMainFrame);
    }

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
    } else if (IsWebAddress(request.requestedUrl())) {
        QDesktopServices::openUrl(request.requestedUrl());
    }
}

bool WebBrowser::BeforeNavigate(const QUrl& address, int type, bool mainFrame) {
    // A frame inside the page may go where it likes; it cannot replace the page.
    if (userNavigationOnly_ && mainFrame && !IsUsersNavigation(static_cast<QWebEnginePage::NavigationType>(type)))
        return false;
    bool cancel = false;
    if (OnBeforeNavigate2) OnBeforeNavigate2(this, address, cancel);
    return !cancel;
}

}  // namespace zenta
