// The reader's marked topics, kept per user in $XDG_DATA_HOME/zenta/favourites.json, never
// in the archive, so they outlive merges and restarts. Each mark holds the topic's key with
// its title, author and date as they were when marked: a mark whose topic the archive no
// longer has still shows what it was. The file is read on every use and replaced whole
// (a temporary file renamed over it), so a crash never leaves half a list; a file that is
// not a list of marks is set aside as favourites.json.damaged and the list starts empty.
#pragma once

#include <QString>

#include <cstdint>
#include <vector>

namespace zenta {

struct FavouriteMark {
    std::int64_t topicId = 0;
    QString title;
    QString author;
    QString date;
};

class Favourites {
public:
    // Where the program keeps its marks.
    static QString DefaultFile();

    explicit Favourites(QString file) : file_(std::move(file)) {}

    // The marks, oldest first.
    std::vector<FavouriteMark> Marks() const;
    bool Contains(std::int64_t topicId) const;
    // Adds the mark, or removes the topic's mark when it has one; returns whether it is
    // marked now. Raises Error when the file cannot be written (the old list stays).
    bool Toggle(const FavouriteMark& mark);

private:
    void Write(const std::vector<FavouriteMark>& marks) const;

    QString file_;
};

}  // namespace zenta
