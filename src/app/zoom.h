// The zoom of one web view: steps in and out through the usual levels (25 % to 500 %), back
// to 100 %, and Ctrl with the mouse wheel. Each change shows the level over the view for a
// moment and is announced, so whoever keeps the window's state can store it. The level
// stays when the view goes to another page.
#pragma once

#include <QObject>
#include <QTimer>

class QLabel;

namespace zenta {

class WebBrowser;

class ViewZoom : public QObject {
    Q_OBJECT

public:
    explicit ViewZoom(WebBrowser* view);

    void ZoomIn();
    void ZoomOut();
    void Reset() { SetFactor(1.0); }
    // Any factor; one outside the levels' range is brought into it, one not a number is 1.
    void SetFactor(double factor);
    double Factor() const { return factor_; }
    // The "125 %" shown over the view after a change.
    QLabel* LevelLabel() const { return level_; }

signals:
    void changed(double factor);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Watch(QObject* child);

    WebBrowser* view_;
    double factor_ = 1.0;
    QLabel* level_;
    QTimer hideLevel_;
};

}  // namespace zenta
