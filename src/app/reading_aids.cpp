// The reader's aids of the window; see reading_aids.h.
#include "app/reading_aids.h"

#include <QAction>
#include <QPushButton>
#include <QBoxLayout>
#include <QFrame>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QTableView>

#include <optional>

#include "app/favourites_list.h"
#include "app/find_bar.h"
#include "app/main_window.h"
#include "app/page_control.h"
#include "app/page_output.h"
#include "app/zoom.h"
#include "archive/query.h"
#include "archive/topic_list.h"
#include "base/codepage.h"
#include "browse/web_browser.h"

namespace zenta {
namespace {

constexpr int kRowRestMs = 350;

// Puts the bar under the view, in the view's own column.
void PlaceUnder(FindBar* bar, WebBrowser* view) {
    auto* column = qobject_cast<QBoxLayout*>(view->parentWidget()->layout());
    column->insertWidget(column->indexOf(view) + 1, bar);
}

// A topic's mark as the archive has the topic now; none when the archive lacks it.
std::optional<FavouriteMark> MarkOf(Connection& connection, std::int64_t topicId) {
    Query row(&connection);
    OpenTopicRow(row, connection, topicId);
    if (row.Eof()) return std::nullopt;
    const TopicRow topic = ReadTopicRow(row);
    auto text = [&topic](topic_row::Position at) {
        return topic[at].IsNull() ? QString() : QString::fromStdString(FromNarrow(topic[at].AsString()));
    };
    return FavouriteMark{topicId, text(topic_row::kTitle), text(topic_row::kSpeaker), text(topic_row::kSpeakDate)};
}

}  // namespace

ReadingAids::ReadingAids(Tindex& window) : QObject(&window), window_(window) {
    browserFind = new FindBar(window.WebBrowser1, window.TabSheet1);
    PlaceUnder(browserFind, window.WebBrowser1);
    infoFind = new FindBar(window.listinfo, window.TabSheet2);
    PlaceUnder(infoFind, window.listinfo);
    browserZoom = new ViewZoom(window.WebBrowser1);
    infoZoom = new ViewZoom(window.listinfo);

    rowRest_.setSingleShot(true);
    rowRest_.setInterval(kRowRestMs);
    connect(&rowRest_, &QTimer::timeout, this, [this] { OpenCurrentRow(); });
    window.DBGrid1->installEventFilter(this);
    output = new PageOutput(&window);
    favouritesList = new FavouritesList(&window);
    connect(favouritesList, &FavouritesList::topicChosen, this,
            [this](qint64 topicId) { CallReported([&] { OpenFavourite(topicId); }); });
    AddKeys();
}

QAction* ReadingAids::AddKey(const QString& text, const QList<QKeySequence>& keys, bool inMenu) {
    auto* action = new QAction(text, &window_);
    action->setShortcuts(keys);
    action->setShortcutContext(Qt::WindowShortcut);
    window_.addAction(action);
    if (inMenu) window_.PopupMenu1->addAction(action);
    return action;
}

void ReadingAids::AddKeys() {
    // The menu's own items keep their handlers and gain keys.
    for (auto [item, key] : {std::pair{window_.N1, QKeySequence(Qt::CTRL | Qt::Key_T)},
                             {window_.N2, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_T)}}) {
        item->setShortcut(key);
        window_.addAction(item);
    }
    // Shown in the menu only: Ctrl+K itself (below) also brings the Legman page forward.
    window_.N3->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_K));
    window_.N3->setShortcutContext(Qt::WidgetShortcut);
    connect(AddKey(QStringLiteral("Search panel"), {QKeySequence(Qt::CTRL | Qt::Key_K)}, false),
            &QAction::triggered, this, [this] { CallReported([this] { OpenSearch(); }); });

    window_.PopupMenu1->addSeparator();
    auto bind = [this](QAction* action, auto work) {
        connect(action, &QAction::triggered, this, [work] { CallReported(work); });
    };
    bind(AddKey(QStringLiteral("查找 Find in page"), {QKeySequence::Find}, true), [this] { OpenFind(); });
    bind(AddKey(QStringLiteral("Find next"), {QKeySequence(Qt::Key_F3)}, false), [this] { FindAgain(false); });
    bind(AddKey(QStringLiteral("Find previous"), {QKeySequence(Qt::SHIFT | Qt::Key_F3)}, false),
         [this] { FindAgain(true); });
    bind(AddKey(QStringLiteral("放大 Zoom in"),
                {QKeySequence(Qt::CTRL | Qt::Key_Equal), QKeySequence(Qt::CTRL | Qt::Key_Plus)}, true),
         [this] { Zoom(&ViewZoom::ZoomIn); });
    bind(AddKey(QStringLiteral("缩小 Zoom out"), {QKeySequence(Qt::CTRL | Qt::Key_Minus)}, true),
         [this] { Zoom(&ViewZoom::ZoomOut); });
    bind(AddKey(QStringLiteral("原始大小 Actual size"), {QKeySequence(Qt::CTRL | Qt::Key_0)}, true),
         [this] { Zoom(&ViewZoom::Reset); });
    window_.PopupMenu1->addSeparator();
    window_.Bind(AddKey(QStringLiteral("后退 Back"), {QKeySequence(Qt::ALT | Qt::Key_Left)}, true),
                 &QAction::triggered, &Tindex::goback_cmdClick);
    window_.Bind(AddKey(QStringLiteral("前进 Forward"), {QKeySequence(Qt::ALT | Qt::Key_Right)}, true),
                 &QAction::triggered, &Tindex::goto_cmdClick);
    window_.Bind(AddKey(QStringLiteral("停止 Stop"), {QKeySequence(Qt::Key_Escape)}, true), &QAction::triggered,
                 &Tindex::STOP_CMDClick);
    window_.PopupMenu1->addSeparator();
    bind(AddKey(QStringLiteral("收藏本帖 Mark topic"), {QKeySequence(Qt::CTRL | Qt::Key_D)}, true),
         [this] { MarkShownTopic(); });
    bind(AddKey(QStringLiteral("收藏夹 Favourites"), {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O)}, true),
         [this] { ShowFavourites(); });
    window_.PopupMenu1->addSeparator();
    bind(AddKey(QStringLiteral("打印 Print"), {QKeySequence(Qt::CTRL | Qt::Key_P)}, true),
         [this] { Output(&PageOutput::Print); });
    bind(AddKey(QStringLiteral("另存为 HTML Save as HTML"), {QKeySequence(Qt::CTRL | Qt::Key_S)}, true),
         [this] { Output(&PageOutput::SaveAsHtml); });
    bind(AddKey(QStringLiteral("另存为 PDF Save as PDF"), {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)}, true),
         [this] { Output(&PageOutput::SaveAsPdf); });
    window_.PopupMenu1->addSeparator();
    bind(AddKey(QStringLiteral("刷新 Reload"), {QKeySequence(Qt::Key_F5)}, true), [this] { Reload(); });
    bind(AddKey(QStringLiteral("地址栏 Address box"), {QKeySequence(Qt::CTRL | Qt::Key_L)}, true),
         [this] { FocusAddress(); });
}

WebBrowser* ReadingAids::CurrentView() const {
    switch (window_.PageControl1->currentIndex()) {
    case 0:
        return window_.WebBrowser1;
    case 1:
        return window_.listinfo;
    default:
        return nullptr;
    }
}

FindBar* ReadingAids::FindBarOf(const WebBrowser* view) const {
    return view == window_.WebBrowser1 ? browserFind : view == window_.listinfo ? infoFind : nullptr;
}

ViewZoom* ReadingAids::ZoomOf(const WebBrowser* view) const {
    return view == window_.WebBrowser1 ? browserZoom : view == window_.listinfo ? infoZoom : nullptr;
}

void ReadingAids::OpenFind() {
    if (FindBar* bar = FindBarOf(CurrentView())) bar->Open();
}

void ReadingAids::FindAgain(bool backward) {
    FindBar* bar = FindBarOf(CurrentView());
    if (!bar || bar->isHidden()) return;
    backward ? bar->FindPrevious() : bar->FindNext();
}

void ReadingAids::Zoom(void (ViewZoom::*step)()) {
    if (ViewZoom* zoom = ZoomOf(CurrentView())) (zoom->*step)();
}

void ReadingAids::Output(void (PageOutput::*work)(WebBrowser*)) {
    if (WebBrowser* view = CurrentView()) (output->*work)(view);
}

void ReadingAids::Reload() {
    if (WebBrowser* view = CurrentView()) view->reload();
}

void ReadingAids::FocusAddress() {
    window_.Edit1->setFocus(Qt::ShortcutFocusReason);
    window_.Edit1->selectAll();
}

void ReadingAids::OpenSearch() {
    // As a click on the Legman tab, then Search: the tree shows beside the panel.
    window_.PageControl1->setCurrentIndex(1);
    window_.PageControl1Change(window_.PageControl1);
    window_.BitBtn1Click(window_.BitBtn1);
    window_.Edit2->setFocus(Qt::ShortcutFocusReason);
    window_.Edit2->selectAll();
}

void ReadingAids::OpenCurrentRow() { CallReported([this] { window_.DBGrid1CellClick(window_.DBGrid1); }); }

void ReadingAids::MarkShownTopic() {
    if (window_.shownTopic == 0) return;
    if (std::optional<FavouriteMark> mark = MarkOf(window_.ADOConnection1, window_.shownTopic)) {
        favourites.Toggle(*mark);
    }
    if (favouritesList->isVisible()) ShowFavourites();
}

void ReadingAids::ShowFavourites() {
    favouritesList->Fill(favourites.Marks(), [this](const FavouriteMark& mark) {
        // The same key with another title is another board's topic.
        try {
            const std::optional<FavouriteMark> now = MarkOf(window_.ADOConnection1, mark.topicId);
            return now && now->title == mark.title;
        } catch (const std::exception&) {
            return false;
        }
    });
    favouritesList->show();
    favouritesList->raise();
}

void ReadingAids::OpenFavourite(qint64 topicId) {
    window_.PageControl1->setCurrentIndex(1);
    window_.ShowTopic(Value::Integer(topicId));
}

bool ReadingAids::eventFilter(QObject* watched, QEvent* event) {
    if (watched == window_.DBGrid1 && event->type() == QEvent::KeyPress) {
        switch (static_cast<QKeyEvent*>(event)->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            rowRest_.stop();
            OpenCurrentRow();
            return true;
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
        case Qt::Key_Home:
        case Qt::Key_End:
            rowRest_.start();  // the key itself moves the row after this
            break;
        default:
            break;
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace zenta
