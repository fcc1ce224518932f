// The find bar under a web view: a text box, previous and next, the count of matches
// ("3 of 17"), a case switch and a close button. Typing finds as the text grows; Enter and
// F3 find the next match, Shift+Enter and Shift+F3 the previous one; Esc closes the bar and
// hands the focus back to the view. The matching is the engine's own, so a page of any
// length is searched without a copy of its text.
#pragma once

#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QToolButton;
class QWebEngineFindTextResult;

namespace zenta {

class WebBrowser;

class FindBar : public QWidget {
    Q_OBJECT

public:
    FindBar(WebBrowser* view, QWidget* parent);

    // Shows the bar with the cursor in its box, the text selected, and finds it again.
    void Open();
    // Hides the bar, clears the highlights and gives the focus back to the view.
    void Close();
    void FindNext() { Find(false); }
    void FindPrevious() { Find(true); }

    QLineEdit* Box() const { return box_; }
    QCheckBox* MatchCase() const { return matchCase_; }
    // "3 of 17", "No matches", or empty while nothing is sought.
    QString CountText() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Find(bool backward);
    void ShowResult(const QWebEngineFindTextResult& result);

    WebBrowser* view_;
    QLineEdit* box_;
    QToolButton* previous_;
    QToolButton* next_;
    QLabel* count_;
    QCheckBox* matchCase_;
    QToolButton* close_;
};

}  // namespace zenta
