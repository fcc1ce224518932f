// The program entry; see program.h.
#include "app/program.h"

#include <QApplication>
#include <QScreen>
#include <QTimer>

#include <memory>

#include "app/login.h"
#include "app/main_window.h"
#include "app/window_settings.h"

namespace zenta {

int RunProgram(const QString& named, const std::vector<std::string>& places) {
    QApplication::setApplicationName(QStringLiteral("Zenta"));
    // Hidden; made before the window, which shows it while it converts or merges, and gone after it.
    Tlogin_dir progress;
    auto window = std::make_unique<Tindex>(named, places, &progress);
    index = window.get();
    window->FormCreate(window.get());
    if (window->TerminationRequested()) return 1;
    auto* settings = new WindowSettings(*window, WindowSettings::DefaultFile());
    // A first run keeps the design's size, centred.
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!settings->Restore() && screen) {
        window->move(screen->availableGeometry().center() - window->rect().center());
    }
    window->show();
    // Asked with the window in sight behind the question.
    Tindex* shown = window.get();
    QTimer::singleShot(0, shown, [shown] { CallReported([shown] { shown->OfferDataToAdd(); }); });
    return QApplication::exec();
}

}  // namespace zenta
