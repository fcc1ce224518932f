// What the window offers a reader beyond the board program's own controls: a find bar and a
// zoom for each web view, and the keys (each also in the right-button menu with its key
// shown). None of these keys is one the window already answers to; Enter in the address
// box still does nothing.
//
// Favourites: Ctrl+D marks the topic the info view shows (again: unmarks it), Ctrl+Shift+O
// shows the list of marks, where a click opens a topic on the Legman page.
//
// Ctrl+P prints the view's page, Ctrl+S saves it as HTML, Ctrl+Shift+S as PDF.
//
// Keys: Ctrl+F find, F3 / Shift+F3 next / previous match, Ctrl+= Ctrl+- Ctrl+0 and
// Ctrl+wheel zoom, Alt+Left / Alt+Right back / forward, Ctrl+L address box, Esc stop,
// F5 reload, Ctrl+K search panel, Ctrl+T / Ctrl+Shift+T show / hide the tree; in the topic
// grid, Enter opens the row's topic and the page follows the arrow keys once they rest.
#pragma once

#include <QObject>
#include <QTimer>

#include "app/favourites.h"

class QAction;

namespace zenta {

class FavouritesList;
class FindBar;
class PageOutput;
class Tindex;
class ViewZoom;
class WebBrowser;

class ReadingAids : public QObject {
    Q_OBJECT

public:
    explicit ReadingAids(Tindex& window);

    // The view the keys act on: the info view on the Legman page, the main browser on the
    // Browser page, none on the Configure page.
    WebBrowser* CurrentView() const;
    FindBar* FindBarOf(const WebBrowser* view) const;
    ViewZoom* ZoomOf(const WebBrowser* view) const;

    FindBar* browserFind;
    FindBar* infoFind;
    ViewZoom* browserZoom;
    ViewZoom* infoZoom;
    Favourites favourites{Favourites::DefaultFile()};
    FavouritesList* favouritesList;
    PageOutput* output;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QAction* AddKey(const QString& text, const QList<QKeySequence>& keys, bool inMenu);
    void AddKeys();
    void OpenFind();
    void FindAgain(bool backward);
    void Zoom(void (ViewZoom::*step)());
    void Output(void (PageOutput::*work)(WebBrowser*));
    void Reload();
    void FocusAddress();
    void OpenSearch();
    void OpenCurrentRow();
    void MarkShownTopic();
    void ShowFavourites();
    void OpenFavourite(qint64 topicId);

    Tindex& window_;
    // The page follows the grid's current row once the arrow keys rest this long.
    QTimer rowRest_;
};

}  // namespace zenta
