// The progress form; see login.h.
#include "app/login.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>

namespace zenta {

Tlogin_dir::Tlogin_dir(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint),
      progressbar1(new QProgressBar(this)),
      cancelButton(new QPushButton(QStringLiteral("Cancel"), this)) {
    setFixedSize(536, 60);
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);
    // Input to the window would run its handlers in the middle of the work.
    setWindowModality(Qt::ApplicationModal);
    progressbar1->setGeometry(104, 16, 345, 16);
    progressbar1->setRange(0, 100);
    progressbar1->setValue(15);
    progressbar1->setTextVisible(false);
    cancelButton->setGeometry(457, 12, 71, 24);
    cancelButton->setAutoDefault(false);
    connect(cancelButton, &QPushButton::clicked, this, [this] {
        cancelRequested_ = true;
        cancelButton->setEnabled(false);  // the work ends at its next whole batch
    });
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
}

void Tlogin_dir::ShowProgress(int64_t done, int64_t total) {
    progressbar1->setValue(total > 0 ? static_cast<int>(done * 100 / total) : 100);
    if (!isVisible()) show();
    QCoreApplication::processEvents();
}

void Tlogin_dir::showEvent(QShowEvent* event) {
    // Each piece of work the form follows starts uncancelled.
    cancelRequested_ = false;
    cancelButton->setEnabled(true);
    QWidget::showEvent(event);
}

}  // namespace zenta
