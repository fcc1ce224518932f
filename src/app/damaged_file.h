// A file of the user's own state that cannot be read is set aside, never deleted: renamed to
// NAME.damaged (NAME.damaged2, ... when that is taken), so the program starts afresh and the
// user can still look at what it held.
#pragma once

#include <QString>

namespace zenta {

void SetAsideDamaged(const QString& file);

}  // namespace zenta
