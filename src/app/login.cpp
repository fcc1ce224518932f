// The progress form; see login.h.
#include "app/login.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QProgressBar>
#include <QScreen>

namespace zenta {

Tlogin_dir::Tlogin_dir(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), progressbar1(new QProgressBar(this)) {
    setFixedSize(536, 60);
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);
    progressbar1->setGeometry(104, 16, 345, 16);
    progressbar1->setRange(0, 100);
    progressbar1->setValue(15);
    progressbar1->setTextVisible(false);
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
}

void Tlogin_dir::ShowProgress(int64_t done, int64_t total) {
    progressbar1->setValue(total > 0 ? static_cast<int>(done * 100 / total) : 100);
    if (!isVisible()) show();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

}  // namespace zenta
