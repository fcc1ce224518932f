// The window's remembered state, in Qt's settings file $XDG_CONFIG_HOME/zenta/zenta.conf:
// the window's size, place and maximized state, the page on top and whether the tree shows,
// the last forum listed or the last search (its kind and words), the search kind, and the
// zoom of each view. Each change is written within a moment of it, so a program that is
// killed loses none of it. Every value is checked on the way in: a value that does not fit
// is left at its default, and a file Qt cannot read at all is set aside beside it as
// zenta.conf.damaged (kept, never deleted) and the window starts as on a first run.
#pragma once

#include <QObject>
#include <QSettings>
#include <QStringList>
#include <QTimer>

namespace zenta {

class Tindex;

class WindowSettings : public QObject {
    Q_OBJECT

public:
    // Where the program keeps its settings.
    static QString DefaultFile();

    // Reads `file`; the window is unchanged until Restore.
    WindowSettings(Tindex& window, const QString& file);

    // Brings the window to its remembered state (call after start-up, before the window
    // shows); false when no size and place were remembered: a first run, which centres it.
    // From then on every change is kept.
    bool Restore();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void RestoreListing();
    void Watch();
    void Save();
    void RememberForum();
    void RememberSearch();

    Tindex& window_;
    QSettings settings_;
    QTimer saveSoon_;
    bool restoring_ = false;
};

}  // namespace zenta
