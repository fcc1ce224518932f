// Pages held in memory, served to the web views through the program's own URL scheme. A
// page of any size reaches the engine this way, with its bytes unchanged and its own
// content type (setContent stops at about 2 MB).
#pragma once

#include <QByteArray>
#include <QUrl>

class QWebEngineProfile;

namespace zenta {

// Makes the scheme known to the engine; must run before the QApplication is created.
void RegisterPageScheme();

// Serves the scheme's pages to the views of the profile (once per profile).
void InstallPageScheme(QWebEngineProfile* profile);

// Keeps the page under a fresh address until DropPage.
QUrl PutPage(QByteArray bytes, QByteArray contentType);
void DropPage(const QUrl& address);

}  // namespace zenta
