// The one-panel status bar; see status_panel.h.
#include "app/status_panel.h"

#include <QLabel>

namespace zenta {

StatusPanel::StatusPanel(QWidget* parent) : QStatusBar(parent), text_(new QLabel(this)) {
    setSizeGripEnabled(false);
    text_->setAlignment(Qt::AlignCenter);
    addWidget(text_, 1);
}

QString StatusPanel::Text() const { return text_->text(); }
void StatusPanel::SetText(const QString& text) { text_->setText(text); }

}  // namespace zenta
