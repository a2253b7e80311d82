// The task list page. For now it lists every task with its times and state, read-only, so the
// schedule can be followed; adding, changing and deleting tasks come with a later version.
#pragma once

#include "pages/Page.h"
#include "store/TaskTable.h"

class QTreeWidget;

namespace lumetra {

class CDlgTaskList : public CPage {
    Q_OBJECT
public:
    CDlgTaskList(CDatabase& db, QWidget* parent);

    // Reads tb_memo afresh in start-time order.
    void LoadTaskList();

protected:
    bool event(QEvent* event) override;  // WM_TASKS_CHANGED reloads

private:
    QTreeWidget* m_list;
    CTaskTable m_table;
    CDatabase& m_db;
};

}  // namespace lumetra
