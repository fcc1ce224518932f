// The site link list `linkto` of the Configure page: a list that tells a link the user chose
// (a click on it, or Enter, Space or an arrow key on the list) from a row made current by
// the focus entering the list or by code, which chooses nothing.
#pragma once

#include <QListWidget>

namespace zenta {

class SiteLinkList : public QListWidget {
    Q_OBJECT

public:
    explicit SiteLinkList(QWidget* parent = nullptr);

signals:
    // The user chose the current link.
    void chosenByUser();

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace zenta
