// The zoom of one web view; see zoom.h.
#include "app/zoom.h"

#include <QChildEvent>
#include <QLabel>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <iterator>

#include "browse/web_browser.h"

namespace zenta {
namespace {

// The levels browsers offer, as factors.
constexpr double kLevels[] = {0.25, 0.33, 0.5, 0.67, 0.75, 0.8, 0.9, 1.0, 1.1, 1.25, 1.5, 1.75, 2.0, 2.5, 3.0, 4.0, 5.0};
constexpr int kLevelShownMs = 1200;

}  // namespace

ViewZoom::ViewZoom(WebBrowser* view) : QObject(view), view_(view) {
    level_ = new QLabel(view);
    level_->setAttribute(Qt::WA_TransparentForMouseEvents);
    level_->setStyleSheet(QStringLiteral("background: rgba(40, 40, 40, 200); color: white; padding: 6px 12px;"
                                         "border-radius: 6px; font-size: 16px;"));
    level_->hide();
    hideLevel_.setSingleShot(true);
    hideLevel_.setInterval(kLevelShownMs);
    connect(&hideLevel_, &QTimer::timeout, level_, &QLabel::hide);
    // The engine may start a new page at its own level: the view's level is set again.
    connect(view_, &QWebEngineView::loadFinished, this, [this] {
        if (view_->zoomFactor() != factor_) view_->setZoomFactor(factor_);
    });
    // Wheel events reach the engine's inner widget, made late; every child is watched.
    view_->installEventFilter(this);
    for (QObject* child : view_->children()) Watch(child);
}

void ViewZoom::ZoomIn() {
    const double* above = std::upper_bound(std::begin(kLevels), std::end(kLevels), factor_ + 1e-6);
    if (above != std::end(kLevels)) SetFactor(*above);
}

void ViewZoom::ZoomOut() {
    const double* below = std::lower_bound(std::begin(kLevels), std::end(kLevels), factor_ - 1e-6);
    if (below != std::begin(kLevels)) SetFactor(*std::prev(below));
}

void ViewZoom::SetFactor(double factor) {
    if (!std::isfinite(factor)) factor = 1.0;
    factor = std::clamp(factor, kLevels[0], std::end(kLevels)[-1]);
    factor_ = factor;
    view_->setZoomFactor(factor_);
    level_->setText(QStringLiteral("%1 %").arg(std::lround(factor_ * 100)));
    level_->adjustSize();
    level_->move((view_->width() - level_->width()) / 2, (view_->height() - level_->height()) / 2);
    level_->show();
    level_->raise();
    hideLevel_.start();
    emit changed(factor_);
}

void ViewZoom::Watch(QObject* child) {
    if (child != level_) child->installEventFilter(this);
}

bool ViewZoom::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ChildAdded && watched == view_) {
        Watch(static_cast<QChildEvent*>(event)->child());
    } else if (event->type() == QEvent::Wheel) {
        auto* wheel = static_cast<QWheelEvent*>(event);
        if (wheel->modifiers() & Qt::ControlModifier) {
            const int steps = wheel->angleDelta().y();
            if (steps > 0) ZoomIn();
            if (steps < 0) ZoomOut();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace zenta
