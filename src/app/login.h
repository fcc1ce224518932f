// The progress form `login_dir` (class Tlogin_dir): a borderless form with one progress
// bar and a Cancel button, created hidden at start-up and handed to the main window; it
// shows while a Jet main archive is converted and while Add data works. While it shows, it
// alone takes the user's input, so the window stays painted and only Cancel can be pressed.
#pragma once

#include <QWidget>

#include <atomic>
#include <cstdint>

class QProgressBar;
class QPushButton;

namespace zenta {

class Tlogin_dir : public QWidget {
public:
    explicit Tlogin_dir(QWidget* parent = nullptr);

    // Shows the form with the bar at the share done, and lets it paint and take a click.
    void ShowProgress(int64_t done, int64_t total);

    // Whether Cancel was pressed since the form last showed; the flag the work reads.
    bool CancelRequested() const { return cancelRequested_; }
    const std::atomic<bool>* CancelFlag() const { return &cancelRequested_; }

    QProgressBar* progressbar1;
    QPushButton* cancelButton;

protected:
    void showEvent(QShowEvent* event) override;

private:
    std::atomic<bool> cancelRequested_ = false;
};

}  // namespace zenta
