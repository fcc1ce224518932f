// The progress form `login_dir` (class Tlogin_dir): a borderless form with one progress
// bar, created hidden at start-up.
#pragma once

#include <QWidget>

class QProgressBar;

namespace zenta {

class Tlogin_dir : public QWidget {
public:
    explicit Tlogin_dir(QWidget* parent = nullptr);
    QProgressBar* progressbar1;
};

}  // namespace zenta
