// The topic grid's model: the rows of the topic list `rs`, read from it as they come into
// view, each column under its column name, read-only. Of each message it keeps only the
// start the grid can show, so a long list never holds every message text at once.
#pragma once

#include <QAbstractTableModel>

#include <vector>

#include "archive/topic_list.h"

namespace zenta {

class Query;

class TopicListModel : public QAbstractTableModel {
public:
    explicit TopicListModel(Query& rs, QObject* parent = nullptr);

    // Takes the list anew from `rs`: after a listing or a search, or once it was closed.
    void Reload();
    // The TOPIC_ID of a row as the list gave it.
    const Value& TopicId(int row) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

private:
    Query& rs_;
    std::vector<QString> names_;
    std::vector<TopicRow> rows_;
};

}  // namespace zenta
