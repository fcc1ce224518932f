// The view-state handlers: which of the tree, the topic grid and the search panel show.
// The grid and the search panel are never shown together.
#include <QFrame>
#include <QTableView>
#include <QTreeWidget>

#include "app/main_window.h"
#include "app/page_control.h"

namespace zenta {

void Tindex::PageControl1Change(QObject* /*Sender*/) { TreeView1->setVisible(PageControl1->currentIndex() == 1); }

void Tindex::N1Click(QObject* /*Sender*/) { TreeView1->setVisible(true); }

void Tindex::N2Click(QObject* /*Sender*/) { TreeView1->setVisible(false); }

void Tindex::BitBtn1Click(QObject* /*Sender*/) {
    DBGrid1->setVisible(false);
    Panel1->setVisible(true);
}

void Tindex::SpeedButton1Click(QObject* /*Sender*/) {
    DBGrid1->setVisible(rs.Active());
    Panel1->setVisible(false);
}

}  // namespace zenta
