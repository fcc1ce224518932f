// The open-file dialog shared by Open and Add data. It keeps its file name and filter entry
// between uses: a confirmed choice stores them, a cancelled one leaves them as they were.
// Tests answer it through SetAnswer instead of a modal dialog.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

namespace zenta {

class OpenDialog {
public:
    // Given the kept file name and entry; returns whether a file was confirmed and may
    // change both.
    using Answer = std::function<bool(QString& fileName, int& filterIndex)>;

    explicit OpenDialog(QWidget* parent = nullptr) : parent_(parent) {}

    // Runs the dialog; true when the user confirmed a file.
    bool Execute();

    // "description|pattern|description|pattern", patterns separated by ";".
    QString Filter;
    // The full path of the last confirmed file; empty if none was ever confirmed.
    QString FileName;
    // The filter entry in use, counted from 1.
    int FilterIndex = 1;

    void SetAnswer(Answer answer) { answer_ = std::move(answer); }
    // The filter as the file dialog's name filters: "description (pattern pattern)".
    QStringList NameFilters() const;

private:
    QWidget* parent_;
    Answer answer_;
};

}  // namespace zenta
