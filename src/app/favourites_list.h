// The "Favourites" list: the marked topics with title, author and date, oldest first. A
// click on a mark asks for its topic to open; a mark whose topic the archive does not have
// shows greyed, with the title it had, and opens nothing.
#pragma once

#include <QDialog>

#include <cstdint>
#include <functional>
#include <vector>

#include "app/favourites.h"

class QTreeWidget;

namespace zenta {

class FavouritesList : public QDialog {
    Q_OBJECT

public:
    explicit FavouritesList(QWidget* parent);

    // Shows the marks; `inArchive` tells whether a mark's topic is there to open.
    void Fill(const std::vector<FavouriteMark>& marks, const std::function<bool(const FavouriteMark&)>& inArchive);
    QTreeWidget* Items() const { return items_; }

signals:
    void topicChosen(qint64 topicId);

private:
    QTreeWidget* items_;
};

}  // namespace zenta
