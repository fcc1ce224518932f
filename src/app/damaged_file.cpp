// Setting a damaged file aside; see damaged_file.h.
#include "app/damaged_file.h"

#include <QFile>

namespace zenta {

void SetAsideDamaged(const QString& file) {
    QString aside = file + QStringLiteral(".damaged");
    for (int n = 2; QFile::exists(aside); ++n) aside = file + QStringLiteral(".damaged%1").arg(n);
    QFile::rename(file, aside);
}

}  // namespace zenta
