// The find bar; see find_bar.h.
#include "app/find_bar.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QWebEngineFindTextResult>
#include <QWebEnginePage>

#include "browse/web_browser.h"

namespace zenta {

FindBar::FindBar(WebBrowser* view, QWidget* parent) : QWidget(parent), view_(view) {
    box_ = new QLineEdit(this);
    box_->setPlaceholderText(QStringLiteral("Find in page"));
    box_->setClearButtonEnabled(true);
    box_->installEventFilter(this);
    previous_ = new QToolButton(this);
    previous_->setArrowType(Qt::UpArrow);
    previous_->setToolTip(QStringLiteral("Previous (Shift+Enter, Shift+F3)"));
    next_ = new QToolButton(this);
    next_->setArrowType(Qt::DownArrow);
    next_->setToolTip(QStringLiteral("Next (Enter, F3)"));
    count_ = new QLabel(this);
    count_->setMinimumWidth(count_->fontMetrics().horizontalAdvance(QStringLiteral("00000 of 00000")));
    matchCase_ = new QCheckBox(QStringLiteral("Match case"), this);
    close_ = new QToolButton(this);
    close_->setText(QStringLiteral("✕"));
    close_->setAutoRaise(true);
    close_->setToolTip(QStringLiteral("Close (Esc)"));

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->addWidget(box_, 1);
    layout->addWidget(previous_);
    layout->addWidget(next_);
    layout->addWidget(count_);
    layout->addWidget(matchCase_);
    layout->addWidget(close_);
    hide();

    connect(box_, &QLineEdit::textEdited, this, [this] { FindNext(); });
    connect(previous_, &QToolButton::clicked, this, [this] { FindPrevious(); });
    connect(next_, &QToolButton::clicked, this, [this] { FindNext(); });
    connect(matchCase_, &QCheckBox::toggled, this, [this] {
        // The engine keeps its old matches while the text stays the same: it starts over.
        view_->page()->findText(QString());
        FindNext();
    });
    connect(close_, &QToolButton::clicked, this, [this] { Close(); });
    connect(view_->page(), &QWebEnginePage::findTextFinished, this, &FindBar::ShowResult);
    // A new page has no matches yet: the old count would be wrong.
    connect(view_, &QWebEngineView::loadStarted, this, [this] { count_->clear(); });
}

void FindBar::Open() {
    show();
    box_->setFocus(Qt::ShortcutFocusReason);
    box_->selectAll();
    FindNext();
}

void FindBar::Close() {
    view_->page()->findText(QString());
    count_->clear();
    hide();
    view_->setFocus(Qt::OtherFocusReason);
}

QString FindBar::CountText() const { return count_->text(); }

void FindBar::Find(bool backward) {
    if (!isVisible()) return;
    QWebEnginePage::FindFlags flags;
    if (backward) flags |= QWebEnginePage::FindBackward;
    if (matchCase_->isChecked()) flags |= QWebEnginePage::FindCaseSensitively;
    // An empty text clears the highlights; the engine then reports nothing to count.
    if (box_->text().isEmpty()) count_->clear();
    view_->page()->findText(box_->text(), flags);
}

void FindBar::ShowResult(const QWebEngineFindTextResult& result) {
    if (box_->text().isEmpty()) {
        count_->clear();
    } else if (result.numberOfMatches() == 0) {
        count_->setText(QStringLiteral("No matches"));
    } else {
        count_->setText(QStringLiteral("%1 of %2").arg(result.activeMatch()).arg(result.numberOfMatches()));
    }
}

bool FindBar::eventFilter(QObject* watched, QEvent* event) {
    if (watched != box_) return QWidget::eventFilter(watched, event);
    const bool shortcutOverride = event->type() == QEvent::ShortcutOverride;
    if (!shortcutOverride && event->type() != QEvent::KeyPress) return QWidget::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    const bool shifted = key->modifiers() & Qt::ShiftModifier;
    switch (key->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_F3:
    case Qt::Key_Escape:
        // The box takes these before any key of the window (Esc is also the window's Stop).
        if (shortcutOverride) {
            event->accept();
            return true;
        }
        if (key->key() == Qt::Key_Escape) {
            Close();
        } else {
            Find(shifted);
        }
        return true;
    default:
        return QWidget::eventFilter(watched, event);
    }
}

}  // namespace zenta
