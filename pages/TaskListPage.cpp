#include "pages/TaskListPage.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

#include "base/NumberText.h"
#include "pages/DbErrorReport.h"
#include "pages/DlgCalendar.h"
#include "pages/DlgPreview.h"
#include "pages/DlgTaskEdit.h"
#include "pages/TaskListRows.h"
#include "store/Database.h"
#include "store/HistoryTable.h"
#include "store/TaskModeTable.h"
#include "store/TaskTable.h"
#include "widgets/ColorListCtrl.h"
#include "widgets/MessageBox.h"
#include "widgets/WindowEvent.h"

namespace lumetra {

CTaskListPage::CTaskListPage(CDatabase& db, QWidget* parent)
    : CPage(QRect(197, 140, 790, 470), parent), m_db(db) {
    m_list = new CColorListCtrl({{QStringLiteral("序号")},
                                 {QStringLiteral("任务名称"), true},
                                 {QStringLiteral("日期")},
                                 {QStringLiteral("开始时间")},
                                 {QStringLiteral("结束时间")},
                                 {QStringLiteral("重复周期"), true},
                                 {QStringLiteral("状态")},
                                 {QStringLiteral("播放模式")},
                                 {QStringLiteral("上次播放")}},
                                this);
    m_add = new QPushButton(QStringLiteral("增加"), this);
    m_modify = new QPushButton(QStringLiteral("修改"), this);
    m_delete = new QPushButton(QStringLiteral("删除"), this);
    m_preview = new QPushButton(QStringLiteral("播放预览"), this);
    m_calendar = new QPushButton(QStringLiteral("节假日与调休"), this);
    connect(m_preview, &QPushButton::clicked, this, [this] { CDlgPreview(m_db, this).exec(); });
    connect(m_calendar, &QPushButton::clicked, this, [this] { CDlgCalendar(m_db, this).exec(); });
    connect(m_add, &QPushButton::clicked, this, &CTaskListPage::OnAdd);
    connect(m_modify, &QPushButton::clicked, this, &CTaskListPage::OnModify);
    connect(m_delete, &QPushButton::clicked, this, &CTaskListPage::OnDelete);
    connect(m_list, &CColorListCtrl::RowDoubleClicked, this, &CTaskListPage::OnModify);
    // On the list, Delete deletes and Enter modifies, as the buttons do.
    for (auto [key, slot] : {std::pair{QKeySequence(Qt::Key_Delete), &CTaskListPage::OnDelete},
                             std::pair{QKeySequence(Qt::Key_Return), &CTaskListPage::OnModify},
                             std::pair{QKeySequence(Qt::Key_Enter), &CTaskListPage::OnModify}}) {
        auto* shortcut = new QShortcut(key, m_list, nullptr, nullptr, Qt::WidgetShortcut);
        connect(shortcut, &QShortcut::activated, this, slot);
    }

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_preview);
    buttons->addWidget(m_calendar);
    buttons->addStretch();
    for (QPushButton* button : {m_add, m_modify, m_delete}) buttons->addWidget(button);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    layout->addLayout(buttons);
}

void CTaskListPage::LoadTasks() {
    m_list->DeleteAllItems();
    if (!m_db.IsOpen()) return;  // the operator was told at start that there is no database
    try {
        m_list->SetRows(TaskListRows(CTaskTable(m_db).ReadAll(), CTaskModeTable(m_db).ReadAll(),
                                     CHistoryTable(m_db).LastStarts()));
    } catch (const CDbError& error) {
        ReportDbError(this, error);
    }
}

void CTaskListPage::OnAdd() {
    CDlgTaskEdit editor(m_db, this);
    if (editor.exec() == QDialog::Accepted) LoadTasks();
}

std::optional<CTaskListPage::TaskKey> CTaskListPage::MarkedTask(const QString& nothingSelected) {
    const int row = m_list->GetSelectionMark();
    if (row < 0) {
        ShowMessage(this, nothingSelected);
        return std::nullopt;
    }
    return TaskKey{m_list->GetItemText(row, kColName).toStdString(),
                   m_list->GetItemText(row, kColStart).toStdString()};
}

void CTaskListPage::OnModify() {
    const std::optional<TaskKey> key = MarkedTask(QStringLiteral("请选择要进行修改的项目！"));
    if (!key) return;
    std::optional<TaskRecord> task;
    try {
        task = CTaskTable(m_db).FindByNameAndStart(key->name, key->startTime);
    } catch (const CDbError& error) {
        ReportDbError(this, error);
        return;
    }
    if (!task) {
        ShowMessage(this, QStringLiteral("该任务已被删除或修改，任务列表将重新载入。"));
        LoadTasks();
        return;
    }
    auto exists = [](const std::string& path) { return QFileInfo::exists(QString::fromStdString(path)); };
    CDlgTaskEdit editor(m_db, this, EditedTask{LeadingInt(task->id), DraftFromRecord(*task, exists)});
    if (editor.exec() == QDialog::Accepted) LoadTasks();
}

void CTaskListPage::OnDelete() {
    const std::optional<TaskKey> key = MarkedTask(QStringLiteral("请选择要删除的项目！"));
    if (!key) return;
    if (ShowMessage(this, QStringLiteral("确定要删除任务“%1”吗？").arg(QString::fromStdString(key->name)),
                    MbButtons::kOkCancel, MbIcon::kQuestion) != MbResult::kOk)
        return;
    try {
        CTaskTable(m_db).DeleteByNameAndStart(key->name, key->startTime);
    } catch (const CDbError& error) {
        ReportDbError(this, error);
    }
    LoadTasks();
}

bool CTaskListPage::event(QEvent* event) {
    if (event->type() == CWindowEvent::TypeOf(WindowMessage::kTasksChanged)) {
        LoadTasks();
        return true;
    }
    return CPage::event(event);
}

}  // namespace lumetra
