#include "app/topic_list_model.h"

#include "archive/query.h"
#include "base/codepage.h"
#include "base/errors.h"

namespace zenta {
namespace {

constexpr size_t kMessageStart = 160;  // bytes: more than a grid cell shows
constexpr int kBatch = 64;             // rows read from the list at a time: a few screens

QVariant Shown(const Value& value) {
    switch (value.kind()) {
        case Value::Kind::Null:
            return {};
        case Value::Kind::Integer:
            return QVariant::fromValue<qlonglong>(value.integer());
        case Value::Kind::Real:
            return value.real();
        case Value::Kind::Text:
            return QString::fromStdString(FromNarrow(value.text()));
    }
    return {};
}

}  // namespace

TopicListModel::TopicListModel(Query& rs, QObject* parent) : QAbstractTableModel(parent), rs_(rs) {}

void TopicListModel::Reload() {
    beginResetModel();
    rows_.clear();
    names_.clear();
    for (int i = 0; i < rs_.FieldCount(); ++i) names_.push_back(QString::fromStdString(FromNarrow(rs_.FieldName(i))));
    endResetModel();
    if (canFetchMore(QModelIndex())) fetchMore(QModelIndex());
}

const Value& TopicListModel::TopicId(int row) const { return rows_.at(row)[topic_row::kTopicId]; }

int TopicListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int TopicListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(names_.size());
}

QVariant TopicListModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount() ||
        index.column() >= static_cast<int>(kTopicRowColumns.size()))
        return {};
    return Shown(rows_[index.row()][index.column()]);
}

QVariant TopicListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 || section >= columnCount()) return {};
    return names_[section];
}

Qt::ItemFlags TopicListModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsSelectable | Qt::ItemIsEnabled : Qt::NoItemFlags;
}

bool TopicListModel::canFetchMore(const QModelIndex& parent) const {
    return !parent.isValid() && rs_.Active() && !rs_.Eof() &&
           rs_.FieldCount() == static_cast<int>(kTopicRowColumns.size());
}

void TopicListModel::fetchMore(const QModelIndex& parent) {
    if (!canFetchMore(parent)) return;
    std::vector<TopicRow> batch;
    try {
        for (; !rs_.Eof() && static_cast<int>(batch.size()) < kBatch; rs_.Next()) {
            TopicRow row = ReadTopicRow(rs_);
            Value& message = row[topic_row::kMessage];
            if (message.kind() == Value::Kind::Text) message = Value::Text(NarrowStart(message.text(), kMessageStart));
            batch.push_back(std::move(row));
        }
    } catch (const Error&) {
        // The view asks for rows outside any handler: a list that cannot be read further
        // ends where it broke.
        rs_.Close();
    }
    if (batch.empty()) return;
    int first = rowCount();
    beginInsertRows(QModelIndex(), first, first + static_cast<int>(batch.size()) - 1);
    for (TopicRow& row : batch) rows_.push_back(std::move(row));
    endInsertRows();
}

}  // namespace zenta
