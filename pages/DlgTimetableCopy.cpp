#include "pages/DlgTimetableCopy.h"

#include <QDateEdit>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <map>

#include "base/NumberText.h"
#include "pages/BroadcastText.h"
#include "pages/DbErrorReport.h"
#include "pages/DlgTimetables.h"
#include "pages/TaskListRows.h"
#include "schedule/BroadcastPlan.h"
#include "schedule/TimetableCopy.h"
#include "store/Database.h"
#include "store/DbError.h"
#include "store/TaskModeTable.h"
#include "store/TaskStates.h"
#include "store/TimetableTable.h"
#include "widgets/MessageBox.h"

namespace lumetra {

CDlgTimetableCopy::CDlgTimetableCopy(CDatabase& db, int sourceId, QWidget* parent)
    : QDialog(parent), m_db(db), m_sourceId(sourceId) {
    setWindowTitle(QStringLiteral("复制作息表"));
    m_name = new QLineEdit(this);
    m_first = MakeMonthDayEdit(this);
    m_last = MakeMonthDayEdit(this);
    m_offset = new QSpinBox(this);
    m_offset->setRange(-720, 720);
    m_offset->setSuffix(QStringLiteral(" 分钟"));
    auto* range = new QHBoxLayout;
    range->addWidget(m_first);
    range->addWidget(new QLabel(QStringLiteral("至"), this));
    range->addWidget(m_last);
    range->addStretch();
    auto* offset = new QHBoxLayout;
    offset->addWidget(m_offset);
    offset->addWidget(new QLabel(QStringLiteral("（负数为提前）"), this));
    offset->addStretch();
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("新作息表名称："), m_name);
    form->addRow(QStringLiteral("日期段："), range);
    form->addRow(QStringLiteral("勾选的任务推迟："), offset);

    m_tasks = new QTreeWidget(this);
    m_tasks->setRootIsDecorated(false);
    m_tasks->setHeaderLabels({QStringLiteral("任务名称"), QStringLiteral("开始时间"),
                              QStringLiteral("结束时间"), QStringLiteral("重复周期")});
    m_tasks->header()->setSectionResizeMode(QHeaderView::ResizeToContents);

    auto* afternoon = new QPushButton(QStringLiteral("勾选下午的任务"), this);
    auto* save = new QPushButton(QStringLiteral("保  存"), this);
    auto* cancel = new QPushButton(QStringLiteral("取  消"), this);
    for (QPushButton* button : {afternoon, save, cancel}) button->setAutoDefault(false);
    connect(afternoon, &QPushButton::clicked, this, &CDlgTimetableCopy::TickAfternoon);
    connect(save, &QPushButton::clicked, this, &CDlgTimetableCopy::OnSave);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(afternoon);
    buttons->addStretch();
    buttons->addWidget(save);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(new QLabel(QStringLiteral("复制的任务（勾选的任务按上面的分钟数推迟）："), this));
    layout->addWidget(m_tasks);
    layout->addLayout(buttons);
    resize(600, 480);
    LoadSource();
}

void CDlgTimetableCopy::LoadSource() {
    try {
        CTimetableTable timetables(m_db);
        for (const TimetableRow& row : timetables.ReadAll()) {
            if (row.id != m_sourceId) continue;
            m_name->setText(QString::fromStdString(row.name) + QStringLiteral("（副本）"));
            int first = 101, last = 1231;
            if (!row.ranges.empty() && ParseMonthDay(row.ranges.front().firstDay, first) &&
                ParseMonthDay(row.ranges.front().lastDay, last)) {
                SetMonthDay(m_first, first);
                SetMonthDay(m_last, last);
            }
        }
        const std::map<int, int> members = timetables.ReadTaskTimetables();
        for (TaskRecord& task : CTaskTable(m_db).ReadAll()) {
            const auto member = members.find(LeadingInt(task.id));
            if (member == members.end() || member->second != m_sourceId) continue;
            auto* item = new QTreeWidgetItem(
                m_tasks, {QString::fromStdString(task.name), QString::fromStdString(task.startTime),
                          QString::fromStdString(task.endTime), RepeatText(task)});
            item->setCheckState(0, Qt::Unchecked);
            m_source.push_back(std::move(task));
        }
    } catch (const CDbError& error) {
        ReportDbError(this, error);
    }
}

void CDlgTimetableCopy::TickAfternoon() {
    for (int i = 0; i < m_tasks->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = m_tasks->topLevelItem(i);
        item->setCheckState(0, item->text(1) >= QStringLiteral("12:00:00") ? Qt::Checked : Qt::Unchecked);
    }
}

bool CDlgTimetableCopy::OnSave() {
    const QString name = m_name->text().trimmed();
    if (name.isEmpty()) {
        ShowMessage(this, QStringLiteral("名称不能为空！"));
        return false;
    }
    std::vector<TaskRecord> copies = m_source;
    for (size_t i = 0; i < copies.size(); ++i) {
        copies[i].state = sql::kStateIdle;
        if (m_tasks->topLevelItem(static_cast<int>(i))->checkState(0) != Qt::Checked) continue;
        if (!ShiftTaskTimes(copies[i], m_offset->value() * 60L)) {
            ShowMessage(this, QStringLiteral("任务「%1」推迟 %2 分钟后不在同一天之内，不能复制。")
                                  .arg(QString::fromStdString(copies[i].name))
                                  .arg(m_offset->value()));
            return false;
        }
    }
    const std::vector<YearlyRange> ranges{RangeOf(m_first, m_last)};
    try {
        for (const TimetableRow& row : CTimetableTable(m_db).ReadAll())
            if (QString::fromStdString(row.name) == name) {
                ShowMessage(this, QStringLiteral("已有名为「%1」的作息表。").arg(name));
                return false;
            }
    } catch (const CDbError& error) {
        ReportDbError(this, error);
        return false;
    }
    if (!ConfirmSharedDays(this, m_db, 0, name, ranges)) return false;

    std::vector<CopiedTask> stored;
    try {
        StoredSchedule schedule = ReadStoredSchedule(m_db);
        const QDate today = QDate::currentDate();
        const std::vector<CopyConflict> conflicts =
            CopyConflicts(std::move(schedule.rows), std::move(schedule.calendar), copies, ranges,
                          CivilDayNumber(today.year(), today.month(), today.day()));
        if (!conflicts.empty()) {
            QStringList lines;
            for (const CopyConflict& c : conflicts)
                lines << QStringLiteral("「%1」的副本：").arg(QString::fromStdString(copies[c.copy].name)) +
                             ConflictText(c.otherName, c.conflict);
            if (ShowMessage(this,
                            QStringLiteral(
                                "以下复制的任务与其他任务同时播放，或使用相同的接收机或外设且间隔不足30秒："
                                "\n\n%1\n\n仍然保存吗？")
                                .arg(lines.join(QStringLiteral("\n"))),
                            MbButtons::kSaveAnywayOrReturn, MbIcon::kWarning) != MbResult::kOk)
                return false;
        }
        CTaskModeTable modes(m_db);
        for (size_t i = 0; i < copies.size(); ++i)
            stored.push_back(
                {CTaskTable::InsertStatement(copies[i]), modes.CopyStatements(LeadingInt(m_source[i].id))});
        std::vector<TimetableRangeRow> rows;
        for (const YearlyRange& range : ranges)
            rows.push_back({0, MonthDayText(range.first), MonthDayText(range.last)});
        CTimetableTable(m_db).AddCopy(name.toStdString(), rows, stored);
    } catch (const CDbError& error) {
        ReportDbError(this, error);
        return false;
    }
    accept();
    return true;
}

}  // namespace lumetra
