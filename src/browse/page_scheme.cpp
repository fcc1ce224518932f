// The in-memory page scheme; see page_scheme.h.
#include "browse/page_scheme.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QHash>
#include <QWebEngineProfile>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>
#include <QWebEngineUrlSchemeHandler>

namespace zenta {
namespace {

const QByteArray kScheme = QByteArrayLiteral("zenta-page");

struct Page {
    QByteArray bytes;
    QByteArray contentType;
};

QHash<QString, Page>& Pages() {
    static QHash<QString, Page> pages;
    return pages;
}

class PageSchemeHandler : public QWebEngineUrlSchemeHandler {
public:
    using QWebEngineUrlSchemeHandler::QWebEngineUrlSchemeHandler;

    void requestStarted(QWebEngineUrlRequestJob* job) override {
        auto found = Pages().constFind(job->requestUrl().path());
        if (found == Pages().constEnd()) {
            job->fail(QWebEngineUrlRequestJob::UrlNotFound);
            return;
        }
        auto* buffer = new QBuffer(job);
        buffer->setData(found->bytes);  // shared, not copied
        job->reply(found->contentType, buffer);
    }
};

}  // namespace

void RegisterPageScheme() {
    QWebEngineUrlScheme scheme(kScheme);
    scheme.setSyntax(QWebEngineUrlScheme::Syntax::Host);
    // Not a secure scheme: archive pages show images from plain web addresses. Local: web
    // pages cannot reach these pages; and these pages, of unknown origin, reach no local file.
    scheme.setFlags(QWebEngineUrlScheme::LocalScheme);
    QWebEngineUrlScheme::registerScheme(scheme);
}

void InstallPageScheme(QWebEngineProfile* profile) {
    if (profile->urlSchemeHandler(kScheme)) return;
    profile->installUrlSchemeHandler(kScheme, new PageSchemeHandler(profile));
}

QUrl PutPage(QByteArray bytes, QByteArray contentType) {
    static quint64 serial = 0;
    const QString path = "/" + QString::number(++serial);
    Pages().insert(path, Page{std::move(bytes), std::move(contentType)});
    QUrl address;
    address.setScheme(QString::fromLatin1(kScheme));
    // One host for every page keeps them in one origin, so the engine keeps its renderer
    // instead of starting a fresh one for each page (tens of milliseconds a page).
    address.setHost(QStringLiteral("memory"));
    address.setPath(path);
    return address;
}

void DropPage(const QUrl& address) { Pages().remove(address.path()); }

}  // namespace zenta
