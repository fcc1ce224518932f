// The program entry: the title, the main window `index` and its start-up, the progress
// form `login_dir`, and the message loop.
#pragma once

#include <QString>

namespace zenta {

// Runs the program on a QApplication that exists already; returns its exit status. A
// failed start-up ends it at once, without the main window ever showing.
int RunProgram(const QString& folder = QString());

}  // namespace zenta
