// The web view layer: the operations and events the window relies on from a web browser
// control, over Qt WebEngine. Failures of an operation are raised as BrowserError.
#pragma once

#include <QByteArray>
#include <QUrl>
#include <QVariant>
#include <QWebEngineView>

#include <functional>

#include "base/errors.h"

class QWebEngineNewWindowRequest;
class QWebEnginePage;

namespace zenta {

class BrowserError : public Error {
public:
    using Error::Error;
};

class WebBrowser : public QWebEngineView {
    Q_OBJECT

public:
    explicit WebBrowser(QWidget* parent = nullptr);
    ~WebBrowser() override;

    // Starts loading the address; returns before the page is loaded. "about:" followed by
    // a text shows that text as the page.
    void Navigate(const QString& address);
    // The same with the address in a variant, read as text.
    void Navigate2(const QVariant& address);
    // Raise when there is no earlier or later page.
    void GoBack();
    void GoForward();
    void Stop();

    bool Visible() const { return isVisible(); }
    void SetVisible(bool visible) { setVisible(visible); }

    // The current document: none until the view has navigated once.
    QWebEnginePage* Document() const { return navigated_ ? page() : nullptr; }

    // Replaces the document with the bytes, served as the content type says.
    void LoadPage(QByteArray bytes, QByteArray contentType);

    // A page asks for a new window. The handler sets `browser` to the view that takes the
    // window; leaving it empty and `cancel` false opens an http: or https: address in the
    // desktop's web browser (any other scheme is ignored).
    std::function<void(QObject* sender, WebBrowser*& browser, bool& cancel)> OnNewWindow2;
    // Before every navigation; setting `cancel` stops it.
    std::function<void(QObject* sender, const QUrl& address, bool& cancel)> OnBeforeNavigate2;

    // Whether the view refuses navigations of its whole page that the page starts on its own
    // (a refresh, a redirect, a script, a form); the user's link clicks, history moves and
    // navigations from code go on.
    void SetUserNavigationOnly(bool only) { userNavigationOnly_ = only; }

private:
    class Page;
    void NewWindowRequested(QWebEngineNewWindowRequest& request);
    bool BeforeNavigate(const QUrl& address, int type, bool mainFrame);

    bool navigated_ = false;
    bool userNavigationOnly_ = false;
    QUrl memoryPage_;  // the in-memory page this view shows last, dropped when replaced
};

// Sends the view to an address given as text (through Navigate2); failures are raised.
inline void BrowserNavigate(WebBrowser* view, const QString& address) { view->Navigate2(QVariant(address)); }

}  // namespace zenta
