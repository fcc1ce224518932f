// Loading a page from memory into a web view; see info_view_loader.h.
#include "browse/info_view_loader.h"

#include "browse/web_browser.h"

namespace zenta {

void LoadHtmlIntoBrowser(WebBrowser* view, const std::string& text) {
    if (!view->Document()) return;
    view->LoadPage(QByteArray(text.data(), static_cast<qsizetype>(text.size())),
                   QByteArrayLiteral("text/html;charset=GB18030"));
}

}  // namespace zenta
