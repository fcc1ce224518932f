// The "Favourites" list; see favourites_list.h.
#include "app/favourites_list.h"

#include <QHeaderView>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace zenta {

FavouritesList::FavouritesList(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Favourites"));
    resize(560, 320);
    items_ = new QTreeWidget(this);
    items_->setColumnCount(3);
    items_->setHeaderLabels({QStringLiteral("Title"), QStringLiteral("Speaker"), QStringLiteral("SpeakDate")});
    items_->setRootIsDecorated(false);
    items_->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    items_->header()->setStretchLastSection(false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(items_);
    connect(items_, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) {
        if (!item->isDisabled()) emit topicChosen(item->data(0, Qt::UserRole).toLongLong());
    });
}

void FavouritesList::Fill(const std::vector<FavouriteMark>& marks,
                          const std::function<bool(const FavouriteMark&)>& inArchive) {
    items_->clear();
    for (const FavouriteMark& mark : marks) {
        auto* item = new QTreeWidgetItem(items_, {mark.title, mark.author, mark.date});
        item->setData(0, Qt::UserRole, static_cast<qlonglong>(mark.topicId));
        if (!inArchive(mark)) {
            item->setDisabled(true);
            item->setToolTip(0, QStringLiteral("This topic is not in the archive."));
        }
    }
    for (int column = 1; column < 3; ++column) items_->resizeColumnToContents(column);
}

}  // namespace zenta
