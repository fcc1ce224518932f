// The program entry: the title, the progress form, the main window `index` and its start-up,
// and the message loop.
#pragma once

#include <QString>

namespace zenta {

// Runs the program on a QApplication that exists already, its main archive zenta.mdb in
// `folder`; returns its exit status. A failed start-up ends it at once, without the main
// window ever showing.
int RunProgram(const QString& folder);

}  // namespace zenta
