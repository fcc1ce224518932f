// The program entry: the title, the main window `index` and its start-up, the progress
// form `login_dir`, the offer to add a named file's data, and the message loop.
#pragma once

#include <QString>

#include <string>
#include <vector>

namespace zenta {

// Runs the program on a QApplication that exists already; returns its exit status. A
// failed start-up ends it at once, without the main window ever showing. `named` and
// `places` are the main window's (Tindex); once the window shows, a named file that is
// data to add is offered for Add data.
int RunProgram(const QString& named = QString(), const std::vector<std::string>& places = {});

}  // namespace zenta
