// The site link list; see site_link_list.h.
#include "app/site_link_list.h"

#include <QKeyEvent>

namespace zenta {

SiteLinkList::SiteLinkList(QWidget* parent) : QListWidget(parent) {
    // A click chooses its link, also the one already current.
    connect(this, &QListWidget::itemClicked, this, &SiteLinkList::chosenByUser);
}

void SiteLinkList::keyPressEvent(QKeyEvent* event) {
    const int before = currentRow();
    QListWidget::keyPressEvent(event);
    const bool confirms = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter ||
                          event->key() == Qt::Key_Space;
    if (currentItem() && (currentRow() != before || confirms)) emit chosenByUser();
}

}  // namespace zenta
