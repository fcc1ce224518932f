// The shared open-file dialog; see open_dialog.h.
#include "app/open_dialog.h"

#include <QFileDialog>

namespace zenta {

QStringList OpenDialog::NameFilters() const {
    const QStringList parts = Filter.split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts[i + 1].split(u';', Qt::SkipEmptyParts);
        patterns.replaceInStrings(QStringLiteral("*.*"), QStringLiteral("*"));
        filters << parts[i] + " (" + patterns.join(u' ') + ")";
    }
    return filters;
}

bool OpenDialog::Execute() {
    QString fileName = FileName;
    int filterIndex = FilterIndex;
    bool confirmed = false;
    if (answer_) {
        confirmed = answer_(fileName, filterIndex);
    } else {
        QFileDialog dialog(parent_);
        dialog.setFileMode(QFileDialog::ExistingFile);
        const QStringList filters = NameFilters();
        dialog.setNameFilters(filters);
        if (filterIndex >= 1 && filterIndex <= filters.size()) dialog.selectNameFilter(filters[filterIndex - 1]);
        if (!fileName.isEmpty()) dialog.selectFile(fileName);
        confirmed = dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty();
        if (confirmed) {
            fileName = dialog.selectedFiles().constFirst();
            filterIndex = static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1;
        }
    }
    if (confirmed) {
        FileName = fileName;
        FilterIndex = filterIndex;
    }
    return confirmed;
}

}  // namespace zenta
