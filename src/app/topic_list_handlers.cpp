// The topic list's handlers: a click on a forum node lists its topics, the search panel's
// go button searches them, and a click on a topic row shows its page in the info view.
#include <QFrame>
#include <QHeaderView>
#include <QLineEdit>
#include <QTableView>
#include <QToolButton>
#include <QTreeWidget>

#include "app/main_window.h"
#include "app/radio_group.h"
#include "app/topic_list_model.h"
#include "archive/topic_list.h"
#include "base/codepage.h"
#include "browse/web_browser.h"
#include "browse/info_view_loader.h"
#include "render/topic_page.h"

namespace zenta {

void Tindex::CreateTopicList() {
    DataSource1 = new TopicListModel(rs, this);
    DBGrid1->setModel(DataSource1);
    // The page reads a row by the topic row's positions, so the columns stay in place.
    DBGrid1->horizontalHeader()->setSectionsMovable(false);
    DBGrid1->setSelectionBehavior(QAbstractItemView::SelectItems);
    Bind(TreeView1, &QTreeWidget::itemClicked, &Tindex::TreeView1Click);
    Bind(SpeedButton2, &QToolButton::clicked, &Tindex::SpeedButton2Click);
    Bind(DBGrid1, &QTableView::clicked, &Tindex::DBGrid1CellClick);
}

void Tindex::TreeView1Click(QObject* /*Sender*/) {
    QTreeWidgetItem* node = TreeView1->currentItem();
    if (!node) return;
    int level = 0;
    for (QTreeWidgetItem* up = node->parent(); up; up = up->parent()) ++level;
    bool listed = false;
    if (level >= 2) {
        try {
            ListForumTopics(rs, ADOConnection1, ToNarrow(node->text(0).toStdString()));
            listed = !rs.Eof();
        } catch (const std::exception&) {
            // A listing that fails shows the search panel, as an empty one does, and says nothing.
        }
        DataSource1->Reload();
    }
    DBGrid1->setVisible(listed);
    Panel1->setVisible(!listed);
}

void Tindex::SpeedButton2Click(QObject* /*Sender*/) {
    SearchBy by = RadioGroup1->ItemIndex() == 1 ? SearchBy::Author : SearchBy::Title;
    bool searched = false;
    try {
        searched = SearchTopics(rs, ADOConnection1, by, ToNarrow(Edit2->text().toStdString()));
    } catch (...) {
        DataSource1->Reload();  // the list is closed now; the grid shows no rows
        throw;
    }
    if (!searched) {
        BrowserNavigate(listinfo, QStringLiteral("about:Please Input Query Condition，Thanks!"));
        return;
    }
    DataSource1->Reload();
    DBGrid1->setVisible(true);
    Panel1->setVisible(false);
}

void Tindex::DBGrid1CellClick(QObject* /*Sender*/) {
    QModelIndex current = DBGrid1->currentIndex();
    // No current row (an empty result, a closed list): nothing to show.
    if (!current.isValid() || !rs.Active()) return;
    // The key as the row holds it: a Jet file may give a real number or a text key.
    ShowTopic(DataSource1->TopicId(current.row()));
}

bool Tindex::ShowTopic(const Value& topicId) {
    if (topicId.IsNull()) return false;
    // The grid keeps only the start of each message; the row is read again, whole.
    Query row(&ADOConnection1);
    OpenTopicRow(row, ADOConnection1, topicId);
    if (row.Eof()) return false;
    LoadHtmlIntoBrowser(listinfo, MakeTopicPage(ADOConnection1, ReadTopicRow(row)));
    // Favourites mark whole-number keys only; another key leaves nothing to mark.
    shownTopic = topicId.kind() == Value::Kind::Integer ? topicId.integer() : 0;
    return true;
}

}  // namespace zenta
