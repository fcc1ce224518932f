// The window's remembered state; see window_settings.h.
#include "app/window_settings.h"

#include <QEvent>
#include <QLineEdit>
#include <QRadioButton>
#include <QStandardPaths>
#include <QToolButton>
#include <QTreeWidget>

#include <cmath>

#include "app/damaged_file.h"
#include "app/error_report.h"
#include "app/main_window.h"
#include "app/page_control.h"
#include "app/radio_group.h"
#include "app/reading_aids.h"
#include "app/zoom.h"

namespace zenta {
namespace {

constexpr int kSaveDelayMs = 250;

const QString kGeometry = QStringLiteral("window/geometry");
const QString kPage = QStringLiteral("window/page");
const QString kTreeShown = QStringLiteral("window/tree");
const QString kSearchKind = QStringLiteral("search/kind");
const QString kListing = QStringLiteral("listing/kind");  // "forum" or "search"
const QString kForumPath = QStringLiteral("listing/forum");
const QString kSearchWords = QStringLiteral("listing/words");
const QString kBrowserZoom = QStringLiteral("zoom/browser");
const QString kInfoZoom = QStringLiteral("zoom/info");

// The file, once a copy Qt cannot read is out of its way.
QString Readable(const QString& file) {
    if (QSettings(file, QSettings::IniFormat).status() == QSettings::FormatError) SetAsideDamaged(file);
    return file;
}

// A whole number read back, or `fallback` when the stored value is none or out of range.
int ReadInt(const QSettings& settings, const QString& key, int low, int high, int fallback) {
    bool ok = false;
    const int value = settings.value(key).toInt(&ok);
    return ok && value >= low && value <= high ? value : fallback;
}

// The captions from the tree's top down to `node`.
QStringList PathOf(const QTreeWidgetItem* node) {
    QStringList path;
    for (; node; node = node->parent()) path.prepend(node->text(0));
    return path;
}

QTreeWidgetItem* NodeAt(QTreeWidget* tree, const QStringList& path) {
    QTreeWidgetItem* node = nullptr;
    for (const QString& caption : path) {
        const int count = node ? node->childCount() : tree->topLevelItemCount();
        QTreeWidgetItem* next = nullptr;
        for (int i = 0; i < count && !next; ++i) {
            QTreeWidgetItem* child = node ? node->child(i) : tree->topLevelItem(i);
            if (child->text(0) == caption) next = child;
        }
        if (!next) return nullptr;
        node = next;
    }
    return node;
}

}  // namespace

QString WindowSettings::DefaultFile() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/zenta/zenta.conf");
}

WindowSettings::WindowSettings(Tindex& window, const QString& file)
    : QObject(&window), window_(window), settings_(Readable(file), QSettings::IniFormat) {
    saveSoon_.setSingleShot(true);
    saveSoon_.setInterval(kSaveDelayMs);
    connect(&saveSoon_, &QTimer::timeout, this, [this] { Save(); });
}

bool WindowSettings::Restore() {
    restoring_ = true;
    const bool placed = window_.restoreGeometry(settings_.value(kGeometry).toByteArray());
    window_.PageControl1->setCurrentIndex(ReadInt(settings_, kPage, 0, window_.PageControl1->count() - 1, 0));
    const QString tree = settings_.value(kTreeShown).toString();
    if (tree == QLatin1String("true") || tree == QLatin1String("false")) {
        window_.TreeView1->setVisible(tree == QLatin1String("true"));
    }
    window_.RadioGroup1->SetItemIndex(ReadInt(settings_, kSearchKind, 0, 1, 0));
    for (auto [key, zoom] : {std::pair{kBrowserZoom, window_.aids->browserZoom}, {kInfoZoom, window_.aids->infoZoom}}) {
        bool ok = false;
        const double factor = settings_.value(key).toDouble(&ok);
        if (ok && std::isfinite(factor) && factor != zoom->Factor()) zoom->SetFactor(factor);
    }
    RestoreListing();
    restoring_ = false;
    Watch();
    return placed;
}

void WindowSettings::RestoreListing() {
    const QString kind = settings_.value(kListing).toString();
    CallReported([&] {
        if (kind == QLatin1String("forum")) {
            QTreeWidgetItem* node = NodeAt(window_.TreeView1, settings_.value(kForumPath).toStringList());
            if (!node) return;  // the archive changed: the forum is gone
            for (QTreeWidgetItem* up = node->parent(); up; up = up->parent()) up->setExpanded(true);
            window_.TreeView1->setCurrentItem(node);
            window_.TreeView1Click(window_.TreeView1);
        } else if (kind == QLatin1String("search")) {
            window_.Edit2->setText(settings_.value(kSearchWords).toString());
            window_.SpeedButton2Click(window_.SpeedButton2);
        }
    });
}

void WindowSettings::Watch() {
    window_.installEventFilter(this);
    auto later = [this] { saveSoon_.start(); };
    connect(window_.PageControl1, &QTabWidget::currentChanged, this, later);
    for (QAction* item : {window_.N1, window_.N2, window_.N3}) connect(item, &QAction::triggered, this, later);
    for (QRadioButton* kind : window_.RadioGroup1->findChildren<QRadioButton*>()) {
        connect(kind, &QRadioButton::toggled, this, later);
    }
    connect(window_.aids->browserZoom, &ViewZoom::changed, this, later);
    connect(window_.aids->infoZoom, &ViewZoom::changed, this, later);
    connect(window_.TreeView1, &QTreeWidget::itemClicked, this, [this] { RememberForum(); });
    connect(window_.SpeedButton2, &QToolButton::clicked, this, [this] { RememberSearch(); });
}

bool WindowSettings::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::WindowStateChange:
    case QEvent::Show:
    case QEvent::Hide:
        if (!restoring_) saveSoon_.start();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void WindowSettings::RememberForum() {
    if (!window_.TreeView1->currentItem()) return;
    settings_.setValue(kListing, QStringLiteral("forum"));
    settings_.setValue(kForumPath, PathOf(window_.TreeView1->currentItem()));
    Save();
}

void WindowSettings::RememberSearch() {
    settings_.setValue(kListing, QStringLiteral("search"));
    settings_.setValue(kSearchWords, window_.Edit2->text());
    Save();
}

void WindowSettings::Save() {
    saveSoon_.stop();
    settings_.setValue(kGeometry, window_.saveGeometry());
    settings_.setValue(kPage, window_.PageControl1->currentIndex());
    settings_.setValue(kTreeShown, !window_.TreeView1->isHidden());
    settings_.setValue(kSearchKind, window_.RadioGroup1->ItemIndex());
    settings_.setValue(kBrowserZoom, window_.aids->browserZoom->Factor());
    settings_.setValue(kInfoZoom, window_.aids->infoZoom->Factor());
    settings_.sync();
}

}  // namespace zenta
