#include "pages/TaskListPage.h"

#include <QComboBox>
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
#include "pages/DlgTimetables.h"
#include "pages/TaskListRows.h"
#include "store/Database.h"
#include "store/HistoryTable.h"
#include "store/TaskModeTable.h"
#include "store/TaskTable.h"
#include "store/TimetableTable.h"
#include "widgets/ColorList.h"
#include "widgets/MessageBox.h"
#include "widgets/WindowEvent.h"

namespace lumetra {

CTaskListPage::CTaskListPage(CDatabase& db, QWidget* parent)
    : CPage(QRect(197, 140, 790, 470), parent), m_db(db) {
    m_list = new CColorList({{QStringLiteral("序号")},
                             {QStringLiteral("任务名称"), true},
                             {QStringLiteral("日期")},
                             {QStringLiteral("开始时间")},
                             {QStringLiteral("结束时间")},
                             {QStringLiteral("重复周期"), true},
                             {QStringLiteral("状态")},
                             {QStringLiteral("播放模式")},
                             {QStringLiteral("上次播放")},
                             {QStringLiteral("作息表")}},
                            this);
    m_add = new QPushButton(QStringLiteral("增加"), this);
    m_modify = new QPushButton(QStringLiteral("修改"), this);
    m_delete = new QPushButton(QStringLiteral("删除"), this);
    m_preview = new QPushButton(QStringLiteral("播放预览"), this);
    m_calendar = new QPushButton(QStringLiteral("节假日与调休"), this);
    m_timetables = new QPushButton(QStringLiteral("作息表"), this);
    m_filter = new QComboBox(this);
    m_filter->addItem(QStringLiteral("全部作息表"), -1);
    connect(m_filter, &QComboBox::activated, this, &CTaskListPage::LoadTasks);
    connect(m_timetables, &QPushButton::clicked, this, [this] {
        CDlgTimetables(m_db, this).exec();
        LoadTasks();
    });
    connect(m_preview, &QPushButton::clicked, this, [this] { CDlgPreview(m_db, this).exec(); });
    connect(m_calendar, &QPushButton::clicked, this, [this] { CDlgCalendar(m_db, this).exec(); });
    connect(m_add, &QPushButton::clicked, this, &CTaskListPage::OnAdd);
    connect(m_modify, &QPushButton::clicked, this, &CTaskListPage::OnModify);
    connect(m_delete, &QPushButton::clicked, this, &CTaskListPage::OnDelete);
    connect(m_list, &CColorList::RowDoubleClicked, this, &CTaskListPage::OnModify);
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
    buttons->addWidget(m_timetables);
    buttons->addWidget(m_filter);
    buttons->addStretch();
    for (QPushButton* button : {m_add, m_modify, m_delete}) buttons->addWidget(button);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    layout->addLayout(buttons);
}

void CTaskListPage::LoadTasks() {
    m_list->Clear();
    m_rowTimetables.clear();
    if (!m_db.IsOpen()) return;  // the operator was told at start that there is no database
    try {
        CTimetableTable timetables(m_db);
        std::vector<std::pair<int, QString>> names;
        for (const TimetableRow& row : timetables.ReadAll())
            names.emplace_back(row.id, QString::fromStdString(row.name));
        m_timetablesStored = !names.empty();
        FillFilter(names);
        std::map<int, QString> taskNames;
        const std::map<int, int> members = timetables.ReadTaskTimetables();
        for (const auto& [task, timetable] : members)
            for (const auto& [id, name] : names)
                if (id == timetable) taskNames[task] = name;
        const int shown = m_filter->currentData().toInt();
        std::vector<TaskRecord> tasks;
        for (TaskRecord& task : CTaskTable(m_db).ReadAll()) {
            const auto found = taskNames.find(LeadingInt(task.id));
            const int timetable = found == taskNames.end() ? 0 : members.at(found->first);
            if (shown >= 0 && shown != timetable) continue;
            m_rowTimetables.push_back(timetable);
            tasks.push_back(std::move(task));
        }
        m_list->SetRows(
            TaskListRows(tasks, CTaskModeTable(m_db).ReadAll(), CHistoryTable(m_db).LastStarts(), taskNames));
    } catch (const CDbError& error) {
        ReportDbError(this, error);
    }
}

void CTaskListPage::FillFilter(const std::vector<std::pair<int, QString>>& timetables) {
    const int chosen = m_filter->currentData().toInt();
    while (m_filter->count() > 1) m_filter->removeItem(1);
    m_filter->addItem(QStringLiteral("全年"), 0);
    for (const auto& [id, name] : timetables) m_filter->addItem(name, id);
    m_filter->setCurrentIndex(std::max(m_filter->findData(chosen), 0));
}

void CTaskListPage::OnAdd() {
    CDlgTaskEdit editor(m_db, this);
    if (editor.exec() == QDialog::Accepted) LoadTasks();
}

std::optional<CTaskListPage::TaskKey> CTaskListPage::MarkedTask(const QString& nothingSelected) {
    const int row = m_list->LastSelectedRow();
    if (row < 0) {
        ShowMessage(this, nothingSelected);
        return std::nullopt;
    }
    return TaskKey{m_list->CellText(row, kColName).toStdString(),
                   m_list->CellText(row, kColStart).toStdString(),
                   m_rowTimetables.at(static_cast<size_t>(row))};
}

void CTaskListPage::OnModify() {
    const std::optional<TaskKey> key = MarkedTask(QStringLiteral("请选择要进行修改的项目！"));
    if (!key) return;
    std::optional<TaskRecord> task;
    try {
        // The first with the row's name and start time, in the row's timetable if one is.
        const std::vector<TaskRecord> found = CTaskTable(m_db).FindByNameAndStart(key->name, key->startTime);
        const std::map<int, int> members = CTimetableTable(m_db).ReadTaskTimetables();
        for (const TaskRecord& candidate : found) {
            const auto member = members.find(LeadingInt(candidate.id));
            if ((member == members.end() ? 0 : member->second) == key->timetable) {
                task = candidate;
                break;
            }
        }
        if (!task && !found.empty()) task = found.front();
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
        if (m_timetablesStored)
            CTimetableTable(m_db).DeleteTasks(key->name, key->startTime, key->timetable);
        else
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
