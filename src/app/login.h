// The progress form `login_dir` (class Tlogin_dir): a borderless form with one progress
// bar, created hidden at start-up and handed to the main window; it shows while a Jet main
// archive is converted and while Add data works.
#pragma once

#include <QWidget>

#include <cstdint>

class QProgressBar;

namespace zenta {

class Tlogin_dir : public QWidget {
public:
    explicit Tlogin_dir(QWidget* parent = nullptr);

    // Shows the form with the bar at the share done, and lets it paint.
    void ShowProgress(int64_t done, int64_t total);

    QProgressBar* progressbar1;
};

}  // namespace zenta
