#include "pages/DlgTimetables.h"

#include <QDateEdit>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <map>

#include "pages/DbErrorReport.h"
#include "pages/DlgTimetableCopy.h"
#include "store/Database.h"
#include "store/DbError.h"
#include "store/TimetableTable.h"
#include "widgets/MessageBox.h"
#include "widgets/TreeRefill.h"

namespace lumetra {
namespace {

// Any leap year: its dates stand for days of every year, 29 February included.
constexpr int kLeapYear = 2000;

TimetableRangeRow StoredRange(const YearlyRange& range) {
    return {0, MonthDayText(range.first), MonthDayText(range.last)};
}

std::vector<YearlyRange> RangesOf(const TimetableRow& row) {
    std::vector<YearlyRange> ranges;
    for (const TimetableRangeRow& stored : row.ranges) {
        YearlyRange range;
        if (ParseMonthDay(stored.firstDay, range.first) && ParseMonthDay(stored.lastDay, range.last))
            ranges.push_back(range);
    }
    return ranges;
}

}  // namespace

QDateEdit* MakeMonthDayEdit(QWidget* parent) {
    auto* edit = new QDateEdit(QDate(kLeapYear, 1, 1), parent);
    edit->setDateRange(QDate(kLeapYear, 1, 1), QDate(kLeapYear, 12, 31));
    edit->setDisplayFormat(QStringLiteral("MM-dd"));
    return edit;
}

void SetMonthDay(QDateEdit* edit, int monthDay) {
    edit->setDate(QDate(kLeapYear, monthDay / 100, monthDay % 100));
}

YearlyRange RangeOf(const QDateEdit* first, const QDateEdit* last) {
    return {MonthDayOf(first->date().month(), first->date().day()),
            MonthDayOf(last->date().month(), last->date().day())};
}

QString RangesText(const std::vector<YearlyRange>& ranges) {
    QStringList texts;
    for (const YearlyRange& range : ranges)
        texts << QStringLiteral("%1至%2").arg(QString::fromStdString(MonthDayText(range.first)),
                                              QString::fromStdString(MonthDayText(range.last)));
    return texts.join(QStringLiteral("、"));
}

bool ConfirmSharedDays(QWidget* parent, CDatabase& db, int id, const QString& name,
                       const std::vector<YearlyRange>& ranges) {
    QStringList lines;
    try {
        const CTimetables stored = ReadTimetables(db);
        for (const Timetable& other : stored.All()) {
            const std::vector<YearlyRange> shared = SharedDays(ranges, other.ranges);
            if (other.id != id && !shared.empty())
                lines << QStringLiteral("「%1」：%2")
                             .arg(QString::fromStdString(other.name), RangesText(shared));
        }
    } catch (const CDbError& error) {
        ReportDbError(parent, error);
        return false;
    }
    if (lines.isEmpty()) return true;
    return ShowMessage(
               parent,
               QStringLiteral(
                   "作息表「%1」与以下作息表有重叠的日子，这些日子两个作息表的任务都会播放：\n\n%2\n\n"
                   "仍然保存吗？")
                   .arg(name, lines.join(QStringLiteral("\n"))),
               MbButtons::kSaveAnywayOrReturn, MbIcon::kWarning) == MbResult::kOk;
}

CDlgTimetables::CDlgTimetables(CDatabase& db, QWidget* parent) : QDialog(parent), m_db(db) {
    setWindowTitle(QStringLiteral("作息表"));
    m_tree = new QTreeWidget(this);
    m_tree->setHeaderLabels(
        {QStringLiteral("作息表 / 日期段"), QStringLiteral("日期段"), QStringLiteral("任务数")});
    m_tree->header()->setSectionResizeMode(QHeaderView::ResizeToContents);

    m_name = new QLineEdit(this);
    m_first = MakeMonthDayEdit(this);
    m_last = MakeMonthDayEdit(this);
    auto* range = new QHBoxLayout;
    range->addWidget(m_first);
    range->addWidget(new QLabel(QStringLiteral("至"), this));
    range->addWidget(m_last);
    range->addStretch();
    auto* note = new QLabel(
        QStringLiteral("每年的这些日子执行此作息表；结束早于开始的日期段跨过新年，例如 10-01 至 04-30。"
                       "不属于任何作息表的任务全年播放。"),
        this);
    note->setWordWrap(true);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("名称："), m_name);
    form->addRow(QStringLiteral("日期段："), range);
    form->addRow(note);

    const char* const texts[] = {"新建作息表", "重命名",     "添加日期段", "删除日期段",
                                 "删除作息表", "复制作息表", "关闭"};
    for (int id = kAdd; id <= kClose; ++id) {
        m_buttons[id] = new QPushButton(QString::fromUtf8(texts[id]), this);
        m_buttons[id]->setAutoDefault(false);
    }
    connect(m_buttons[kAdd], &QPushButton::clicked, this, &CDlgTimetables::OnAdd);
    connect(m_buttons[kRename], &QPushButton::clicked, this, &CDlgTimetables::OnRename);
    connect(m_buttons[kAddRange], &QPushButton::clicked, this, &CDlgTimetables::OnAddRange);
    connect(m_buttons[kRemoveRange], &QPushButton::clicked, this, &CDlgTimetables::OnRemoveRange);
    connect(m_buttons[kRemove], &QPushButton::clicked, this, &CDlgTimetables::OnRemove);
    connect(m_buttons[kCopy], &QPushButton::clicked, this, &CDlgTimetables::OnCopy);
    connect(m_buttons[kClose], &QPushButton::clicked, this, &QDialog::accept);
    connect(m_tree, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (item && !item->parent()) m_name->setText(item->text(0));
    });
    auto* buttons = new QHBoxLayout;
    for (int id = kAdd; id <= kClose; ++id) {
        if (id == kClose) buttons->addStretch();
        buttons->addWidget(m_buttons[id]);
    }

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tree);
    layout->addLayout(form);
    layout->addLayout(buttons);
    resize(640, 440);
    LoadTimetables();
}

void CDlgTimetables::LoadTimetables() {
    ClearForRefill(m_tree);
    if (!m_db.IsOpen()) return;
    try {
        CTimetableTable table(m_db);
        std::map<int, int> tasks;
        for (const auto& [task, timetable] : table.ReadTaskTimetables()) ++tasks[timetable];
        for (const TimetableRow& row : table.ReadAll()) {
            auto* item =
                new QTreeWidgetItem(m_tree, {QString::fromStdString(row.name), RangesText(RangesOf(row)),
                                             QStringLiteral("%1 个任务").arg(tasks[row.id])});
            item->setData(0, Qt::UserRole, row.id);
            for (const TimetableRangeRow& range : row.ranges) {
                auto* child = new QTreeWidgetItem(item, {QStringLiteral("%1 至 %2")
                                                             .arg(QString::fromStdString(range.firstDay),
                                                                  QString::fromStdString(range.lastDay))});
                child->setData(0, Qt::UserRole, range.id);
            }
        }
    } catch (const CDbError& error) {
        ReportDbError(this, error);
    }
    m_tree->expandAll();
}

bool CDlgTimetables::Store(const std::function<void(CTimetableTable&)>& write) {
    try {
        CTimetableTable table(m_db);
        write(table);
    } catch (const CDbError& error) {
        ReportDbError(this, error);
        return false;
    }
    LoadTimetables();
    return true;
}

int CDlgTimetables::SelectedTimetable() const {
    const QTreeWidgetItem* item = m_tree->currentItem();
    if (item && item->parent()) item = item->parent();
    return item ? item->data(0, Qt::UserRole).toInt() : 0;
}

bool CDlgTimetables::OnAdd() {
    const QString name = m_name->text().trimmed();
    if (name.isEmpty()) {
        ShowMessage(this, QStringLiteral("名称不能为空！"));
        return false;
    }
    if (!m_tree->findItems(name, Qt::MatchExactly).isEmpty()) {
        ShowMessage(this, QStringLiteral("已有名为「%1」的作息表。").arg(name));
        return false;
    }
    const YearlyRange range = RangeOf(m_first, m_last);
    if (!ConfirmSharedDays(this, m_db, 0, name, {range})) return false;
    return Store([&](CTimetableTable& table) { table.Add(name.toStdString(), {StoredRange(range)}); });
}

bool CDlgTimetables::OnRename() {
    const int id = SelectedTimetable();
    const QString name = m_name->text().trimmed();
    if (id == 0) {
        ShowMessage(this, QStringLiteral("请选择要重命名的作息表！"));
        return false;
    }
    if (name.isEmpty()) {
        ShowMessage(this, QStringLiteral("名称不能为空！"));
        return false;
    }
    for (QTreeWidgetItem* item : m_tree->findItems(name, Qt::MatchExactly))
        if (item->data(0, Qt::UserRole).toInt() != id) {
            ShowMessage(this, QStringLiteral("已有名为「%1」的作息表。").arg(name));
            return false;
        }
    return Store([&](CTimetableTable& table) { table.Rename(id, name.toStdString()); });
}

bool CDlgTimetables::OnAddRange() {
    const int id = SelectedTimetable();
    if (id == 0) {
        ShowMessage(this, QStringLiteral("请选择要添加日期段的作息表！"));
        return false;
    }
    const YearlyRange range = RangeOf(m_first, m_last);
    std::vector<YearlyRange> ranges;
    QString name;
    try {
        const CTimetables stored = ReadTimetables(m_db);
        if (const Timetable* timetable = stored.Find(id)) {
            ranges = timetable->ranges;
            name = QString::fromStdString(timetable->name);
        }
    } catch (const CDbError& error) {
        ReportDbError(this, error);
        return false;
    }
    ranges.push_back(range);
    if (!ConfirmSharedDays(this, m_db, id, name, ranges)) return false;
    return Store([&](CTimetableTable& table) { table.AddRange(id, StoredRange(range)); });
}

bool CDlgTimetables::OnRemoveRange() {
    const QTreeWidgetItem* item = m_tree->currentItem();
    if (!item || !item->parent()) {
        ShowMessage(this, QStringLiteral("请选择要删除的日期段！"));
        return false;
    }
    // Without a range a timetable's tasks would never run.
    if (item->parent()->childCount() == 1) {
        ShowMessage(this, QStringLiteral("作息表至少要有一个日期段；不再需要它时请删除作息表。"));
        return false;
    }
    return Store([&](CTimetableTable& table) { table.RemoveRange(item->data(0, Qt::UserRole).toInt()); });
}

bool CDlgTimetables::OnRemove() {
    const int id = SelectedTimetable();
    if (id == 0) {
        ShowMessage(this, QStringLiteral("请选择要删除的作息表！"));
        return false;
    }
    QTreeWidgetItem* item =
        m_tree->currentItem()->parent() ? m_tree->currentItem()->parent() : m_tree->currentItem();
    const QString name = item->text(0);
    int tasks = 0;
    try {
        for (const auto& [task, timetable] : CTimetableTable(m_db).ReadTaskTimetables())
            tasks += timetable == id;
    } catch (const CDbError& error) {
        ReportDbError(this, error);
        return false;
    }
    bool withTasks = false;
    if (tasks == 0) {
        if (ShowMessage(this, QStringLiteral("确定要删除作息表「%1」吗？").arg(name), MbButtons::kOkCancel,
                        MbIcon::kQuestion) != MbResult::kOk)
            return false;
    } else if (ShowMessage(
                   this,
                   QStringLiteral("作息表「%1」中有 %2 个任务。\n\n按“确定”删除作息表，这些任务移到“全年”，"
                                  "全年播放；\n按“取消”可选择把任务一并删除。")
                       .arg(name)
                       .arg(tasks),
                   MbButtons::kOkCancel, MbIcon::kQuestion) != MbResult::kOk) {
        if (ShowMessage(
                this,
                QStringLiteral("把作息表「%1」连同其中的 %2 个任务一并删除吗？\n\n按“取消”什么也不删除。")
                    .arg(name)
                    .arg(tasks),
                MbButtons::kOkCancel, MbIcon::kWarning) != MbResult::kOk)
            return false;
        withTasks = true;
    }
    return Store([&](CTimetableTable& table) { table.Remove(id, withTasks); });
}

void CDlgTimetables::OnCopy() {
    const int id = SelectedTimetable();
    if (id == 0) {
        ShowMessage(this, QStringLiteral("请选择要复制的作息表！"));
        return;
    }
    CDlgTimetableCopy copy(m_db, id, this);
    if (copy.exec() == QDialog::Accepted) LoadTimetables();
}

}  // namespace lumetra
