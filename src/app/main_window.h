// The main window `index` (class Tindex): every control under its designer name, the
// start-up sequence and the view state. Handlers take the sender and ignore it; each
// subsystem keeps its handlers in its own source file.
#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <string>
#include <vector>

#include "app/error_report.h"
#include "app/open_dialog.h"
#include "archive/connection.h"
#include "archive/query.h"

class QAction;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QTableView;
class QToolButton;
class QTreeWidget;

namespace zenta {

class PageControl;
class RadioGroup;
class ReadingAids;
class SiteLinkList;
class StatusPanel;
class Tlogin_dir;
class TopicListModel;
class WebBrowser;

class Tindex : public QWidget {
    Q_OBJECT

public:
    // `named`: the file named on the command line, if any (see ChooseStartupFiles); `places`: where the main
    // archive is looked for, empty for the usual places (MainArchivePlaces beside the executable); `progress`, the
    // progress form, shows while start-up converts a Jet main archive and while Add data works (none: no form shows).
    Tindex(QString named, std::vector<std::string> places, Tlogin_dir* progress, QWidget* parent = nullptr);
    ~Tindex() override;

    // Start-up; on any failure it shows the one message, the reason under it, and requests termination.
    void FormCreate(QObject* Sender);
    bool TerminationRequested() const { return terminationRequested_; }
    // The file whose data the command line offers to add, once the start-up has chosen; empty for none.
    const QString& DataToAdd() const { return dataToAdd_; }
    // Asks whether to add the data of DataToAdd() and adds it through Add data when the answer is yes.
    void OfferDataToAdd();

    // View state (this window's own handlers).
    void PageControl1Change(QObject* Sender);
    void N1Click(QObject* Sender);
    void N2Click(QObject* Sender);
    void BitBtn1Click(QObject* Sender);
    void SpeedButton1Click(QObject* Sender);

    // The topic list and the topic page.
    void TreeView1Click(QObject* Sender);
    void SpeedButton2Click(QObject* Sender);
    void DBGrid1CellClick(QObject* Sender);
    // Shows the topic's page in the info view; false when the archive has no such topic.
    bool ShowTopic(const Value& topicId);
    // The topic whose page the info view shows (0: none yet).
    std::int64_t shownTopic = 0;

    // Browsing.
    void conn_cmdClick(QObject* Sender);
    void open_cmdClick(QObject* Sender);
    void goback_cmdClick(QObject* Sender);
    void goto_cmdClick(QObject* Sender);
    void STOP_CMDClick(QObject* Sender);
    void linktoClick(QObject* Sender);
    void WebBrowser1NewWindow2(QObject* Sender, WebBrowser*& ppDisp, bool& Cancel);
    void WebBrowser1BeforeNavigate2(QObject* Sender, const QUrl& URL, bool& Cancel);
    void listinfoNewWindow2(QObject* Sender, WebBrowser*& ppDisp, bool& Cancel);

    // Add data: the dialog's file, then AddData.
    void inmdbClick(QObject* Sender);
    // Merges `fileName` (plain, Jet or .znt) into the main archive with the progress form and the closing message.
    void AddData(const std::string& fileName);

    // Binds a signal of `sender` to a handler, run through the default error report.
    template <typename Sender, typename Signal>
    void Bind(Sender* sender, Signal signal, void (Tindex::*handler)(QObject*));

    // Top bar (children of the window, over the header strip).
    QFrame* HeaderControl1;
    QPushButton* goback_cmd;
    QPushButton* goto_cmd;
    QPushButton* STOP_CMD;
    QLineEdit* Edit1;
    QPushButton* conn_cmd;
    QPushButton* open_cmd;
    QPushButton* BitBtn1;
    QPushButton* inmdb;

    QTreeWidget* TreeView1;
    PageControl* PageControl1;
    // Browser page.
    QWidget* TabSheet1;
    WebBrowser* WebBrowser1;
    StatusPanel* panel;
    // Legman page.
    QWidget* TabSheet2;
    QTableView* DBGrid1;
    WebBrowser* listinfo;
    QFrame* Panel1;
    RadioGroup* RadioGroup1;
    QLabel* Label2;
    QLineEdit* Edit2;
    QToolButton* SpeedButton2;
    QToolButton* SpeedButton1;
    // Configure page.
    QWidget* TabSheet3;
    QLabel* Label3;
    SiteLinkList* linkto;
    QPlainTextEdit* Memo1;

    QMenu* PopupMenu1;
    QAction* N1;
    QAction* N2;
    QAction* N3;
    OpenDialog OpenDialog1;
    Tlogin_dir* login_dir;

    Connection ADOConnection1;
    Query rs;
    // Links `rs` to DBGrid1; whoever opens or closes `rs` reloads it.
    TopicListModel* DataSource1;

    // Owns the hidden browsers that take the main browser's new windows; never shown.
    QWidget* hiddenBrowsers;

    // The reader's aids (find bars, zoom, keys, favourites, print and save); additions over the
    // controls above.
    ReadingAids* aids;

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateTopBar();
    void CreateBrowserPage();
    void CreateLegmanPage();
    void CreateConfigurePage();
    void CreatePopupMenu();
    void SetTabOrder();
    void BindHandlers();
    void CreateTopicList();
    void BindBrowserEvents(WebBrowser* browser);
    void PlaceTopBar();
    // Ends a failed start-up with the message.
    void FailStartUp(const QString& message);

    QString named_;
    std::vector<std::string> places_;
    QString dataToAdd_;
    bool terminationRequested_ = false;
};

// The main window of the running program (null before it exists and after it is gone); the
// window's tests read it.
extern QPointer<Tindex> index;

template <typename Sender, typename Signal>
void Tindex::Bind(Sender* sender, Signal signal, void (Tindex::*handler)(QObject*)) {
    connect(sender, signal, this, [this, sender, handler] { CallReported([&] { (this->*handler)(sender); }); });
}

}  // namespace zenta
