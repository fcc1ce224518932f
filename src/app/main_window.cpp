// The main window's controls, their settings and placement, and the binding of handlers.
#include "app/main_window.h"

#include <QAction>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QWebEngineSettings>

#include "app/glyphs.h"
#include "app/page_control.h"
#include "app/radio_group.h"
#include "app/reading_aids.h"
#include "app/site_link_list.h"
#include "app/status_panel.h"
#include "base/version.h"
#include "browse/site_links.h"
#include "browse/web_browser.h"

namespace zenta {

QPointer<Tindex> index;

namespace {

const char* const kRightClickHint = "单击鼠标右键操作!";

const char* const kOpenFilter = "*.htm;*.html;*.asp;*.aspx;*.mdb;*.znt|*.htm;*.html;*.asp;*.aspx;*.mdb;*.znt|*.*|*.*";

const char* const kAboutText =
    "《Zenta》\n"
    "\n"
    "把论坛装进口袋，离线也能读。\n"
    "\n"
    "Zenta reader for offline board archives.\n"
    "\n"
    "Thanks to every member who wrote on the board.";

// The top bar's controls from left to right, with their design positions. The address box
// takes whatever width the window gains or loses; the buttons right of it follow its end.
struct BarPlace {
    int left, top, width, height;
};
constexpr BarPlace kGoBack{9, 5, 32, 23};
constexpr BarPlace kGoTo{45, 5, 28, 23};
constexpr BarPlace kStop{81, 4, 25, 25};
constexpr BarPlace kEdit1{114, 8, 351, 19};
constexpr BarPlace kConn{472, 6, 76, 23};
constexpr BarPlace kOpen{554, 6, 61, 23};
constexpr BarPlace kSearch{620, 6, 80, 23};
constexpr BarPlace kAddData{706, 6, 90, 23};
// The client width the design positions were drawn for, and the narrowest address box.
constexpr int kDesignWidth = kAddData.left + kAddData.width + 4;
constexpr int kMinEdit1Width = 120;

QFont WindowFont(int pixelSize) {
    QFont font;
    // "宋体" where it exists, else the CJK font the system has.
    font.setFamilies({QStringLiteral("宋体"), QStringLiteral("SimSun"), QStringLiteral("WenQuanYi Micro Hei"),
                      QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Noto Sans CJK")});
    font.setPixelSize(pixelSize);
    return font;
}

// Takes a box layout that leaves no margin and puts `spacing` between its controls.
template <typename Layout>
Layout* Tight(Layout* layout, int spacing = 0) {
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(spacing);
    return layout;
}

QPushButton* BarButton(QWidget* parent, const QString& caption, Glyph glyph) {
    auto* button = new QPushButton(GlyphIcon(glyph), caption, parent);
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

QToolButton* SpeedButton(QWidget* parent, Glyph glyph, const QRect& place) {
    auto* button = new QToolButton(parent);
    button->setIcon(GlyphIcon(glyph, 32));
    button->setIconSize(QSize(32, 32));
    button->setAutoRaise(true);
    button->setGeometry(place);
    return button;
}

}  // namespace

Tindex::Tindex(QString named, std::vector<std::string> places, Tlogin_dir* progress, QWidget* parent)
    : QWidget(parent),
      OpenDialog1(this),
      login_dir(progress),
      rs(&ADOConnection1),
      named_(std::move(named)),
      places_(std::move(places)) {
    setWindowTitle(QStringLiteral("Zenta ") + QString::fromLatin1(kVersion));
    setFont(WindowFont(13));
    resize(742, 558);  // a 750 × 585 window with its frame

    CreateTopBar();
    TreeView1 = new QTreeWidget(this);
    TreeView1->setHeaderHidden(true);
    TreeView1->setIndentation(19);
    TreeView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TreeView1->setFixedWidth(209);
    TreeView1->setToolTip(kRightClickHint);
    TreeView1->setFrameShape(QFrame::Box);
    TreeView1->hide();

    PageControl1 = new PageControl(this);
    PageControl1->setDocumentMode(true);  // flat tabs
    CreateBrowserPage();
    CreateLegmanPage();
    CreateConfigurePage();
    PageControl1->setCurrentIndex(0);

    auto* body = Tight(new QHBoxLayout);
    body->addWidget(TreeView1);
    body->addWidget(PageControl1, 1);
    auto* root = Tight(new QVBoxLayout(this));
    root->addWidget(HeaderControl1);
    root->addLayout(body, 1);

    hiddenBrowsers = new QWidget(this);
    hiddenBrowsers->hide();

    OpenDialog1.Filter = QString::fromLatin1(kOpenFilter);
    CreatePopupMenu();
    SetTabOrder();
    WebBrowser1->installEventFilter(this);
    listinfo->installEventFilter(this);
    BindHandlers();
    CreateTopicList();
    PlaceTopBar();
    aids = new ReadingAids(*this);
}

Tindex::~Tindex() {
    if (index == this) index = nullptr;
}

void Tindex::CreateTopBar() {
    HeaderControl1 = new QFrame(this);
    HeaderControl1->setFixedHeight(33);
    HeaderControl1->setFrameShape(QFrame::StyledPanel);
    HeaderControl1->setAutoFillBackground(true);
    HeaderControl1->setBackgroundRole(QPalette::Button);
    goback_cmd = BarButton(this, QString(), Glyph::LeftArrow);
    goto_cmd = BarButton(this, QString(), Glyph::RightArrow);
    STOP_CMD = BarButton(this, QString(), Glyph::StopSign);
    Edit1 = new QLineEdit(QString::fromLatin1(kHomeAddress), this);
    QPalette face = Edit1->palette();
    face.setColor(QPalette::Base, face.color(QPalette::Button));
    Edit1->setPalette(face);
    conn_cmd = BarButton(this, QStringLiteral("Connect"), Glyph::Globe);
    open_cmd = BarButton(this, QStringLiteral("Open"), Glyph::OpenBook);
    BitBtn1 = BarButton(this, QStringLiteral("Search"), Glyph::Magnifier);
    inmdb = BarButton(this, QStringLiteral("Add data"), Glyph::DiskWithArrow);
}

void Tindex::CreateBrowserPage() {
    TabSheet1 = new QWidget;
    WebBrowser1 = new WebBrowser(TabSheet1);
    panel = new StatusPanel(TabSheet1);
    panel->setFixedHeight(32);
    panel->SetText(QStringLiteral("Thanks For Using Zenta"));
    auto* layout = Tight(new QVBoxLayout(TabSheet1));
    layout->addWidget(WebBrowser1, 1);
    layout->addWidget(panel);
    PageControl1->addTab(TabSheet1, QStringLiteral("Browser"));
}

void Tindex::CreateLegmanPage() {
    TabSheet2 = new QWidget;
    TabSheet2->setToolTip(kRightClickHint);
    DBGrid1 = new QTableView(TabSheet2);
    DBGrid1->setFixedHeight(177);
    DBGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid1->setFrameShape(QFrame::Box);
    DBGrid1->setToolTip(kRightClickHint);
    QPalette white = DBGrid1->palette();
    white.setColor(QPalette::Base, Qt::white);
    DBGrid1->setPalette(white);
    // A hidden grid keeps its band, so the info view stays where it is.
    QSizePolicy keep = DBGrid1->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    DBGrid1->setSizePolicy(keep);
    DBGrid1->hide();

    listinfo = new WebBrowser(TabSheet2);
    listinfo->setToolTip(kRightClickHint);
    // Archive pages come from files of unknown origin: no scripts in the info view, and no
    // user's files read into a page (a frame or an image of a file: address).
    listinfo->settings()->setAttribute(QWebEngineSettings::JavascriptEnabled, false);
    listinfo->settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
    // Nor does such a page move the view on its own (a refresh, a redirect, a form).
    listinfo->SetUserNavigationOnly(true);

    auto* layout = Tight(new QVBoxLayout(TabSheet2), 4);
    layout->addWidget(DBGrid1);
    layout->addWidget(listinfo, 1);

    Panel1 = new QFrame(TabSheet2);
    Panel1->setGeometry(72, 32, 449, 97);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel1->setLineWidth(2);
    QPalette sky = Panel1->palette();
    sky.setColor(QPalette::Window, QColor(0xa6, 0xca, 0xf0));
    Panel1->setPalette(sky);
    Panel1->setAutoFillBackground(true);
    // The label lies under the radio group, which covers it, as it always did.
    Label2 = new QLabel(QStringLiteral("搜寻文章"), Panel1);
    Label2->setGeometry(32, 32, 65, 17);
    RadioGroup1 = new RadioGroup(QStringLiteral("Select Condition"),
                                 {QStringLiteral("Article Title"), QStringLiteral("Article Author")}, Panel1);
    RadioGroup1->setGeometry(8, 8, 137, 81);
    RadioGroup1->setAutoFillBackground(true);
    RadioGroup1->SetItemIndex(0);
    Edit2 = new QLineEdit(Panel1);
    Edit2->setGeometry(156, 20, 264, 19);
    SpeedButton2 = SpeedButton(Panel1, Glyph::Magnifier, QRect(183, 49, 90, 33));
    SpeedButton1 = SpeedButton(Panel1, Glyph::StopSign, QRect(307, 49, 90, 33));
    SpeedButton1->setToolTip(QStringLiteral("隐藏！"));
    Panel1->raise();
    PageControl1->addTab(TabSheet2, QStringLiteral("Legman"));
}

void Tindex::CreateConfigurePage() {
    TabSheet3 = new QWidget;
    Label3 = new QLabel(QStringLiteral("精选站点资源"), TabSheet3);
    Label3->setGeometry(256, 24, 137, 29);
    QFont title = WindowFont(21);
    title.setBold(true);
    Label3->setFont(title);
    Label3->setStyleSheet(QStringLiteral("color: red"));

    linkto = new SiteLinkList(TabSheet3);
    linkto->setGeometry(128, 64, 377, 217);
    linkto->setFont(WindowFont(16));
    for (const char* link : kSiteLinks) {
        auto* item = new QListWidgetItem(QString::fromLatin1(link), linkto);
        item->setSizeHint(QSize(0, 16));
    }

    Memo1 = new QPlainTextEdit(
        QString::fromUtf8(kAboutText) + QStringLiteral("\n\nVersion ") + QString::fromLatin1(kVersion), TabSheet3);
    Memo1->setGeometry(128, 304, 377, 113);
    PageControl1->addTab(TabSheet3, QStringLiteral("Configure"));
}

void Tindex::CreatePopupMenu() {
    PopupMenu1 = new QMenu(this);
    N1 = PopupMenu1->addAction(QStringLiteral("显示目录树"));
    N2 = PopupMenu1->addAction(QStringLiteral("隐藏目录树"));
    N3 = PopupMenu1->addAction(QStringLiteral("资料搜索"));
    // On the web views this replaces the engine's own context menu.
    for (QWidget* control :
         {static_cast<QWidget*>(PageControl1), TabSheet3, static_cast<QWidget*>(TreeView1),
          static_cast<QWidget*>(DBGrid1), static_cast<QWidget*>(WebBrowser1), static_cast<QWidget*>(listinfo)}) {
        control->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(control, &QWidget::customContextMenuRequested, this,
                [this, control](const QPoint& at) { PopupMenu1->popup(control->mapToGlobal(at)); });
    }
}

void Tindex::SetTabOrder() {
    const QWidget* order[] = {PageControl1, Edit1,     conn_cmd, open_cmd, goback_cmd,
                              goto_cmd,     TreeView1, BitBtn1,  STOP_CMD, inmdb};
    for (size_t i = 0; i + 1 < std::size(order); ++i) {
        setTabOrder(const_cast<QWidget*>(order[i]), const_cast<QWidget*>(order[i + 1]));
    }
}

void Tindex::BindHandlers() {
    Bind(PageControl1, &PageControl::changedByUser, &Tindex::PageControl1Change);
    Bind(N1, &QAction::triggered, &Tindex::N1Click);
    Bind(N2, &QAction::triggered, &Tindex::N2Click);
    Bind(N3, &QAction::triggered, &Tindex::BitBtn1Click);
    Bind(BitBtn1, &QPushButton::clicked, &Tindex::BitBtn1Click);
    Bind(SpeedButton1, &QToolButton::clicked, &Tindex::SpeedButton1Click);

    Bind(conn_cmd, &QPushButton::clicked, &Tindex::conn_cmdClick);
    Bind(open_cmd, &QPushButton::clicked, &Tindex::open_cmdClick);
    Bind(goback_cmd, &QPushButton::clicked, &Tindex::goback_cmdClick);
    Bind(goto_cmd, &QPushButton::clicked, &Tindex::goto_cmdClick);
    Bind(STOP_CMD, &QPushButton::clicked, &Tindex::STOP_CMDClick);
    Bind(linkto, &SiteLinkList::chosenByUser, &Tindex::linktoClick);
    Bind(inmdb, &QPushButton::clicked, &Tindex::inmdbClick);
    BindBrowserEvents(WebBrowser1);
    listinfo->OnNewWindow2 = [this](QObject* sender, WebBrowser*& browser, bool& cancel) {
        CallReported([&] { listinfoNewWindow2(sender, browser, cancel); });
    };
}

void Tindex::BindBrowserEvents(WebBrowser* browser) {
    browser->OnNewWindow2 = [this](QObject* sender, WebBrowser*& newBrowser, bool& cancel) {
        CallReported([&] { WebBrowser1NewWindow2(sender, newBrowser, cancel); });
    };
    browser->OnBeforeNavigate2 = [this](QObject* sender, const QUrl& address, bool& cancel) {
        CallReported([&] { WebBrowser1BeforeNavigate2(sender, address, cancel); });
    };
}

void Tindex::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    PlaceTopBar();
}

bool Tindex::eventFilter(QObject* watched, QEvent* event) {
    // A web view makes its inner widget late, at the end of the focus chain: order again.
    if (event->type() == QEvent::ChildAdded) {
        QMetaObject::invokeMethod(
            this, [this] { SetTabOrder(); }, Qt::QueuedConnection);
    }
    return QWidget::eventFilter(watched, event);
}

void Tindex::PlaceTopBar() {
    const int shift = std::max(width() - kDesignWidth, kMinEdit1Width - kEdit1.width);
    auto place = [](QWidget* control, const BarPlace& at, int dx, int dw) {
        control->setGeometry(at.left + dx, at.top, at.width + dw, at.height);
        control->raise();
    };
    place(goback_cmd, kGoBack, 0, 0);
    place(goto_cmd, kGoTo, 0, 0);
    place(STOP_CMD, kStop, 0, 0);
    place(Edit1, kEdit1, 0, shift);
    for (auto [button, at] : {std::pair{conn_cmd, kConn}, {open_cmd, kOpen}, {BitBtn1, kSearch}, {inmdb, kAddData}}) {
        place(button, at, shift, 0);
    }
}

}  // namespace zenta
