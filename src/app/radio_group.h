// A captioned group of radio buttons, one per item, read and set by the item's index.
#pragma once

#include <QGroupBox>
#include <QStringList>

class QButtonGroup;

namespace zenta {

class RadioGroup : public QGroupBox {
public:
    RadioGroup(const QString& caption, const QStringList& items, QWidget* parent = nullptr);
    // The checked item's index, -1 when none is.
    int ItemIndex() const;
    void SetItemIndex(int index);

private:
    QButtonGroup* buttons_;
};

}  // namespace zenta
