// The browsing commands of the main window: Connect, Open, Back, Forward, Stop, the site
// links, and where the web views' new windows go.
#include <QLineEdit>
#include <QListWidget>
#include <QTreeWidget>

#include "app/main_window.h"
#include "app/page_control.h"
#include "app/site_link_list.h"
#include "app/status_panel.h"
#include "base/trim.h"
#include "browse/web_browser.h"

namespace zenta {
namespace {

// The most hidden browsers alive at once: a page that keeps opening windows closes its own
// oldest ones instead of filling the memory with pages that run scripts.
constexpr qsizetype kMaxHiddenBrowsers = 4;

QString ConnectingText(const QString& address) {
    return QStringLiteral("Connecting ") + QString::fromStdString(Trim(address.toStdString())) +
           QStringLiteral(" ......");
}

}  // namespace

void Tindex::conn_cmdClick(QObject* /*Sender*/) {
    const QString address = Edit1->text();
    if (address.isEmpty()) return;
    WebBrowser1->SetVisible(true);
    try {
        WebBrowser1->Navigate(address);  // as typed, blanks and all
        panel->SetText(ConnectingText(address));
    } catch (...) {
        // A refused request leaves the status as it was and says nothing.
    }
}

void Tindex::open_cmdClick(QObject* /*Sender*/) {
    // A cancelled dialog does nothing: it must not re-open an earlier choice.
    if (!OpenDialog1.Execute()) return;
    Edit1->setText(OpenDialog1.FileName);
    WebBrowser1->Navigate(OpenDialog1.FileName);
    panel->SetText(ConnectingText(Edit1->text()));
}

void Tindex::goback_cmdClick(QObject* /*Sender*/) {
    try {
        WebBrowser1->GoBack();
    } catch (...) {
        // No earlier page: nothing to say.
    }
}

void Tindex::goto_cmdClick(QObject* /*Sender*/) {
    try {
        WebBrowser1->GoForward();
    } catch (...) {
        // No later page: nothing to say.
    }
}

void Tindex::STOP_CMDClick(QObject* /*Sender*/) {
    try {
        WebBrowser1->Stop();
    } catch (...) {
        // Nothing to stop is no news.
    }
}

void Tindex::linktoClick(QObject* Sender) {
    QListWidgetItem* link = linkto->currentItem();
    if (!link) return;
    Edit1->setText(link->text());
    conn_cmdClick(Sender);
    // A page set from code is no page change by the user, so the tree is hidden here.
    PageControl1->setCurrentIndex(0);
    TreeView1->setVisible(false);
}

void Tindex::WebBrowser1NewWindow2(QObject* Sender, WebBrowser*& ppDisp, bool& Cancel) {
    // A hidden browser opens no windows of its own: a page that opens itself would multiply.
    if (Sender != WebBrowser1) {
        Cancel = true;
        return;
    }
    // The window's page goes to a browser that is never displayed.
    const QList<WebBrowser*> alive = hiddenBrowsers->findChildren<WebBrowser*>(Qt::FindDirectChildrenOnly);
    for (qsizetype i = 0; i + kMaxHiddenBrowsers <= alive.size(); ++i) delete alive[i];
    auto* browser = new WebBrowser(hiddenBrowsers);
    BindBrowserEvents(browser);
    ppDisp = browser;
}

void Tindex::WebBrowser1BeforeNavigate2(QObject* /*Sender*/, const QUrl& /*URL*/, bool& /*Cancel*/) {}

// Left empty: the view's own default opens the page in the desktop's web browser.
void Tindex::listinfoNewWindow2(QObject* /*Sender*/, WebBrowser*& /*ppDisp*/, bool& /*Cancel*/) {}

}  // namespace zenta
