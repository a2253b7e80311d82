#include "pages/DlgTaskList.h"

#include <QGroupBox>
#include <QHeaderView>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "pages/DbErrorReport.h"
#include "store/Database.h"
#include "widgets/WindowEvent.h"

namespace lumetra {

CDlgTaskList::CDlgTaskList(CDatabase& db, QWidget* parent)
    : CPage(QRect(197, 140, 790, 470), parent), m_table(db), m_db(db) {
    auto* group = new QGroupBox(QStringLiteral("任务列表"), this);
    m_list = new QTreeWidget(group);
    m_list->setRootIsDecorated(false);
    m_list->setHeaderLabels({QStringLiteral("任务名称"), QStringLiteral("日期"), QStringLiteral("开始时间"),
                             QStringLiteral("结束时间"), QStringLiteral("状态")});
    m_list->header()->setDefaultSectionSize(140);
    auto* inner = new QVBoxLayout(group);
    inner->addWidget(m_list);
    auto* outer = new QVBoxLayout(this);
    outer->addWidget(group);
}

void CDlgTaskList::LoadTaskList() {
    m_list->clear();
    if (!m_db.IsOpen()) return;  // the operator was told at start that there is no database
    std::vector<TaskRecord> tasks;
    try {
        tasks = m_table.ReadAll();
    } catch (const CDbError& error) {
        ReportDbError(this, error);
        return;
    }
    for (const TaskRecord& task : tasks) {
        m_list->addTopLevelItem(
            new QTreeWidgetItem({QString::fromStdString(task.name), QString::fromStdString(task.date),
                                 QString::fromStdString(task.startTime), QString::fromStdString(task.endTime),
                                 QString::fromStdString(task.state)}));
    }
}

bool CDlgTaskList::event(QEvent* event) {
    if (event->type() == CWindowEvent::TypeOf(WM_TASKS_CHANGED)) {
        LoadTaskList();
        return true;
    }
    return CPage::event(event);
}

}  // namespace lumetra
