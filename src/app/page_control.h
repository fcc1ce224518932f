// The page control PageControl1: a tab widget that tells a page change made by the user (a
// click, a key or the wheel on its tabs, or Ctrl+Tab inside it) from one made by code, which
// raises nothing, as the window's page change handler expects.
#pragma once

#include <QTabWidget>

namespace zenta {

class PageControl : public QTabWidget {
    Q_OBJECT

public:
    explicit PageControl(QWidget* parent = nullptr);

signals:
    // Another page is on top because the user selected it.
    void changedByUser(int index);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    class TabBar;
    bool byUser_ = false;
};

}  // namespace zenta
