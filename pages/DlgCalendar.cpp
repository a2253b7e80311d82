#include "pages/DlgCalendar.h"

#include <QComboBox>
#include <QDateEdit>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "pages/DbErrorReport.h"
#include "store/CalendarTable.h"
#include "store/Database.h"
#include "store/WeekDays.h"
#include "widgets/MessageBox.h"
#include "widgets/TreeRefill.h"

namespace lumetra {
namespace {

constexpr const char* kDateFormat = "yyyy-MM-dd";

}  // namespace

QString MakeUpText(int weekDay) {
    if (weekDay < 1 || weekDay > 7) return {};
    return QStringLiteral("按星期%1的安排").arg(QString::fromUtf8(DayName(weekDay)));
}

CDlgCalendar::CDlgCalendar(CDatabase& db, QWidget* parent) : QDialog(parent), m_db(db) {
    setWindowTitle(QStringLiteral("节假日与调休"));
    m_entries = new QTreeWidget(this);
    m_entries->setRootIsDecorated(false);
    m_entries->setHeaderLabels({QStringLiteral("名称"), QStringLiteral("开始日期"),
                                QStringLiteral("结束日期"), QStringLiteral("类型")});
    m_entries->header()->setSectionResizeMode(QHeaderView::ResizeToContents);

    m_name = new QLineEdit(this);
    m_first = new QDateEdit(QDate::currentDate(), this);
    m_last = new QDateEdit(QDate::currentDate(), this);
    for (QDateEdit* edit : {m_first, m_last}) {
        edit->setCalendarPopup(true);
        edit->setDisplayFormat(QString::fromUtf8(kDateFormat));
    }
    m_kind = new QComboBox(this);
    m_kind->addItem(QStringLiteral("节假日（不播每天、每周任务）"));
    for (int day = 1; day <= 7; ++day) m_kind->addItem(QStringLiteral("调休：") + MakeUpText(day));
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("名称："), m_name);
    form->addRow(QStringLiteral("开始日期："), m_first);
    form->addRow(QStringLiteral("结束日期："), m_last);
    form->addRow(QStringLiteral("类型："), m_kind);

    auto* add = new QPushButton(QStringLiteral("添加"), this);
    auto* remove = new QPushButton(QStringLiteral("删除"), this);
    auto* close = new QPushButton(QStringLiteral("关闭"), this);
    for (QPushButton* button : {add, remove, close}) button->setAutoDefault(false);
    connect(add, &QPushButton::clicked, this, &CDlgCalendar::OnAdd);
    connect(remove, &QPushButton::clicked, this, &CDlgCalendar::OnRemove);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton* button : {add, remove, close}) buttons->addWidget(button);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_entries);
    layout->addLayout(form);
    layout->addLayout(buttons);
    resize(560, 420);
    LoadEntries();
}

void CDlgCalendar::LoadEntries() {
    ClearForRefill(m_entries);
    if (!m_db.IsOpen()) return;
    try {
        for (const CalendarRow& row : CCalendarTable(m_db).ReadAll()) {
            auto* item = new QTreeWidgetItem(
                m_entries, {QString::fromStdString(row.name), QString::fromStdString(row.firstDay),
                            QString::fromStdString(row.lastDay),
                            row.weekDay == 0 ? QStringLiteral("节假日")
                                             : QStringLiteral("调休：") + MakeUpText(row.weekDay)});
            item->setData(0, Qt::UserRole, row.id);
        }
    } catch (const CDbError& error) {
        ReportDbError(this, error);
    }
}

bool CDlgCalendar::OnAdd() {
    const QString name = m_name->text().trimmed();
    const QDate first = m_first->date(), last = m_last->date();
    const int weekDay = m_kind->currentIndex();
    if (name.isEmpty()) {
        ShowMessage(this, QStringLiteral("名称不能为空！"));
        return false;
    }
    if (last < first) {
        ShowMessage(this, QStringLiteral("结束日期不能早于开始日期"));
        return false;
    }
    if (weekDay != 0 && last != first) {
        ShowMessage(this, QStringLiteral("调休只能是单独的一天：请把开始日期和结束日期设为同一天。"));
        return false;
    }
    const CalendarRow added{0, first.toString(QString::fromUtf8(kDateFormat)).toStdString(),
                            last.toString(QString::fromUtf8(kDateFormat)).toStdString(), weekDay,
                            name.toStdString()};
    try {
        CCalendarTable table(m_db);
        if (!ConfirmOverlap(added, table.ReadAll())) return false;
        table.Add(added);
    } catch (const CDbError& error) {
        ReportDbError(this, error);
        return false;
    }
    m_name->clear();
    LoadEntries();
    return true;
}

bool CDlgCalendar::ConfirmOverlap(const CalendarRow& added, const std::vector<CalendarRow>& stored) {
    for (const CalendarRow& row : stored) {
        // Only a holiday and a make-up day contradict each other; the dates are "yyyy-MM-dd" texts.
        if ((row.weekDay == 0) == (added.weekDay == 0)) continue;
        if (row.lastDay < added.firstDay || added.lastDay < row.firstDay) continue;
        const CalendarRow& holiday = row.weekDay == 0 ? row : added;
        const CalendarRow& makeUp = row.weekDay == 0 ? added : row;
        const QString text =
            QStringLiteral(
                "%1 既在节假日“%2”之内，又是调休“%3”。同一天两者都有时按调休播放（%4）。\n\n仍然添加吗？")
                .arg(QString::fromStdString(makeUp.firstDay), QString::fromStdString(holiday.name),
                     QString::fromStdString(makeUp.name), MakeUpText(makeUp.weekDay));
        return ShowMessage(this, text, MbButtons::kOkCancel, MbIcon::kQuestion) == MbResult::kOk;
    }
    return true;
}

void CDlgCalendar::OnRemove() {
    QTreeWidgetItem* item = m_entries->currentItem();
    if (!item) {
        ShowMessage(this, QStringLiteral("请选择要删除的项目！"));
        return;
    }
    try {
        CCalendarTable(m_db).Remove(item->data(0, Qt::UserRole).toInt());
    } catch (const CDbError& error) {
        ReportDbError(this, error);
    }
    LoadEntries();
}

}  // namespace lumetra
