// A status bar with one panel whose text is centred and spans the bar.
#pragma once

#include <QStatusBar>

class QLabel;

namespace zenta {

class StatusPanel : public QStatusBar {
public:
    explicit StatusPanel(QWidget* parent = nullptr);
    QString Text() const;
    void SetText(const QString& text);

private:
    QLabel* text_;
};

}  // namespace zenta
