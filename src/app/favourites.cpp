// The reader's marked topics; see favourites.h.
#include "app/favourites.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>

#include "app/damaged_file.h"
#include "base/errors.h"

namespace zenta {

QString Favourites::DefaultFile() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/zenta/favourites.json");
}

std::vector<FavouriteMark> Favourites::Marks() const {
    QFile file(file_);
    if (!file.open(QIODevice::ReadOnly)) return {};  // none yet
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &error);
    file.close();
    if (error.error != QJsonParseError::NoError || !document.isArray()) {
        SetAsideDamaged(file_);
        return {};
    }
    std::vector<FavouriteMark> marks;
    for (const QJsonValue& entry : document.array()) {
        const QJsonObject object = entry.toObject();
        const QJsonValue id = object.value(QLatin1String("topic"));
        if (!id.isDouble()) continue;  // an entry without a key marks nothing
        marks.push_back({static_cast<std::int64_t>(id.toDouble()), object.value(QLatin1String("title")).toString(),
                         object.value(QLatin1String("author")).toString(),
                         object.value(QLatin1String("date")).toString()});
    }
    return marks;
}

bool Favourites::Contains(std::int64_t topicId) const {
    const std::vector<FavouriteMark> marks = Marks();
    return std::any_of(marks.begin(), marks.end(), [&](const FavouriteMark& m) { return m.topicId == topicId; });
}

bool Favourites::Toggle(const FavouriteMark& mark) {
    std::vector<FavouriteMark> marks = Marks();
    const auto had = std::remove_if(marks.begin(), marks.end(),
                                    [&](const FavouriteMark& m) { return m.topicId == mark.topicId; });
    const bool marked = had == marks.end();
    if (marked) {
        marks.push_back(mark);
    } else {
        marks.erase(had, marks.end());
    }
    Write(marks);
    return marked;
}

void Favourites::Write(const std::vector<FavouriteMark>& marks) const {
    QJsonArray entries;
    for (const FavouriteMark& mark : marks) {
        entries.append(QJsonObject{{QStringLiteral("topic"), static_cast<double>(mark.topicId)},
                                   {QStringLiteral("title"), mark.title},
                                   {QStringLiteral("author"), mark.author},
                                   {QStringLiteral("date"), mark.date}});
    }
    QDir().mkpath(QFileInfo(file_).path());
    QSaveFile file(file_);
    if (!file.open(QIODevice::WriteOnly) || file.write(QJsonDocument(entries).toJson()) < 0 || !file.commit()) {
        throw Error(("收藏无法保存: " + file_ + ": " + file.errorString()).toStdString());
    }
}

}  // namespace zenta
