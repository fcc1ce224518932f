// The page control; see page_control.h.
#include "app/page_control.h"

#include <QScopedValueRollback>
#include <QTabBar>

namespace zenta {

// The tabs: every page change they make while handling the user's input counts as the user's.
class PageControl::TabBar : public QTabBar {
public:
    explicit TabBar(bool& byUser) : byUser_(byUser) {}

protected:
    void mousePressEvent(QMouseEvent* event) override {
        QScopedValueRollback user(byUser_, true);
        QTabBar::mousePressEvent(event);
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        QScopedValueRollback user(byUser_, true);
        QTabBar::mouseReleaseEvent(event);
    }
    void keyPressEvent(QKeyEvent* event) override {
        QScopedValueRollback user(byUser_, true);
        QTabBar::keyPressEvent(event);
    }
#if QT_CONFIG(wheelevent)
    void wheelEvent(QWheelEvent* event) override {
        QScopedValueRollback user(byUser_, true);
        QTabBar::wheelEvent(event);
    }
#endif

private:
    bool& byUser_;
};

PageControl::PageControl(QWidget* parent) : QTabWidget(parent) {
    setTabBar(new TabBar(byUser_));
    connect(this, &QTabWidget::currentChanged, this, [this](int index) {
        if (byUser_) emit changedByUser(index);
    });
}

void PageControl::keyPressEvent(QKeyEvent* event) {
    QScopedValueRollback user(byUser_, true);
    QTabWidget::keyPressEvent(event);
}

}  // namespace zenta
