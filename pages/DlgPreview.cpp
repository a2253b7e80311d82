#include "pages/DlgPreview.h"

#include <QDateEdit>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "pages/BroadcastText.h"
#include "pages/DbErrorReport.h"
#include "pages/DlgCalendar.h"
#include "schedule/BroadcastPlan.h"
#include "store/Database.h"
#include "store/PlayList.h"
#include "store/TaskTable.h"
#include "store/ZoneCatalog.h"
#include "widgets/TreeRefill.h"

namespace lumetra {
namespace {

constexpr int kMaxDays = 366;

long DayNumber(const QDate& date) {
    return CivilDayNumber(date.year(), date.month(), date.day());
}

// The file names as the operator chose them, without looking at the disk.
QString Files(const std::string& playList) {
    QStringList names;
    for (const std::string& path : PlayListOf(playList, {}))
        names << QFileInfo(QString::fromStdString(path)).fileName();
    return names.join(QStringLiteral("、"));
}

// The device actions in order with their seconds, one step a line; the receivers go on with the
// outlets (half a second later for tasks other than weekly ones) and off at the end. The outlet
// steps of a task without outlets still go out, switching none.
QString Actions(const PlannedBroadcast& b, bool outlets) {
    const QString none = QStringLiteral("外设电源（无）");
    QStringList steps = {TimeOfDayText(b.powerUp) + QLatin1Char(' ') +
                             (outlets ? QStringLiteral("外设上电") : none) + QStringLiteral("、开接收机"),
                         TimeOfDayText(b.start) + QStringLiteral(" 播放")};
    if (b.end)
        steps << TimeOfDayText(b.end) + QStringLiteral(" 关接收机、停止播放")
              << TimeOfDayText(b.powerDown) + QLatin1Char(' ') +
                     (outlets ? QStringLiteral("外设断电") : none);
    return steps.join(QLatin1Char('\n'));
}

// The timetables in force on a day, "全年" alone when none is.
QString InForceText(const CTimetables& timetables, const LocalMoment& noon) {
    QStringList names;
    for (const Timetable* timetable :
         timetables.InForce(MonthDayOf(noon.local.tm_mon + 1, noon.local.tm_mday)))
        names << QString::fromStdString(timetable->name);
    return names.isEmpty() ? QStringLiteral("全年") : names.join(QStringLiteral("、"));
}

QString DayTitle(const LocalMoment& noon, const CalendarDay& day) {
    QString title = DateText(noon.time);
    const QString name = day.name ? QString::fromStdString(*day.name) : QString();
    if (day.holiday) title += QStringLiteral("　节假日：%1（每天、每周任务不播）").arg(name);
    if (day.madeUp) title += QStringLiteral("　调休：%1，%2").arg(name, MakeUpText(day.weekDay));
    return title;
}

// "　作息表：夏季作息", and on a changeover day what ran the day before.
QString TimetableTitle(const QString& inForce, const QString& dayBefore) {
    if (inForce == dayBefore) return QStringLiteral("　作息表：%1").arg(inForce);
    return QStringLiteral("　作息表：%1（从今天起更替，前一天：%2）").arg(inForce, dayBefore);
}

}  // namespace

CDlgPreview::CDlgPreview(CDatabase& db, QWidget* parent) : QDialog(parent), m_db(db) {
    setWindowTitle(QStringLiteral("播放预览"));
    m_first = new QDateEdit(QDate::currentDate(), this);
    m_last = new QDateEdit(QDate::currentDate().addDays(6), this);
    for (QDateEdit* edit : {m_first, m_last}) {
        edit->setCalendarPopup(true);
        edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    }
    auto* show = new QPushButton(QStringLiteral("显示"), this);
    show->setAutoDefault(false);
    connect(show, &QPushButton::clicked, this, &CDlgPreview::Refresh);
    auto* range = new QHBoxLayout;
    range->addWidget(new QLabel(QStringLiteral("从："), this));
    range->addWidget(m_first);
    range->addWidget(new QLabel(QStringLiteral("到："), this));
    range->addWidget(m_last);
    range->addWidget(show);
    range->addStretch();

    m_days = new QTreeWidget(this);
    m_days->setHeaderLabels({QStringLiteral("日期 / 任务名称"), QStringLiteral("开始"),
                             QStringLiteral("结束"), QStringLiteral("分区 / 接收机"), QStringLiteral("外设"),
                             QStringLiteral("播放列表"), QStringLiteral("设备动作")});
    m_days->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_changeovers = new QLabel(this);
    m_changeovers->setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(range);
    layout->addWidget(m_changeovers);
    layout->addWidget(m_days);
    resize(980, 560);
    Refresh();
}

void CDlgPreview::Refresh() {
    ClearForRefill(m_days);
    m_changeovers->hide();
    if (!m_db.IsOpen()) return;
    const long first = DayNumber(m_first->date());
    const long last = std::min(DayNumber(m_last->date()), first + kMaxDays - 1);
    StoredSchedule stored;
    std::vector<ZoneNode> zones;
    try {
        stored = ReadStoredSchedule(m_db);
        zones = CZoneCatalog(m_db).ReadTree();
    } catch (const CDbError& error) {
        ReportDbError(this, error);
        return;
    }
    const std::vector<TaskRecord>& rows = stored.rows;
    const CSchoolCalendar& calendar = stored.calendar;
    CBroadcastPlanner planner(std::vector<TaskFields>(rows.begin(), rows.end()), calendar);
    const std::vector<PlannedBroadcast> plan = planner.PlanAll(first, last);
    auto next = plan.begin();
    const bool timetables = !calendar.Timetables().All().empty();
    QString dayBefore = InForceText(calendar.Timetables(), planner.Noon(first - 1));
    QStringList changeovers;
    for (long day = first; day <= last; ++day) {
        const LocalMoment& noon = planner.Noon(day);
        QString title = DayTitle(noon, calendar.Day(noon));
        if (timetables) {
            const QString inForce = InForceText(calendar.Timetables(), noon);
            title += TimetableTitle(inForce, dayBefore);
            if (inForce != dayBefore)
                changeovers
                    << QStringLiteral("%1 起：%2（此前：%3）").arg(DateText(noon.time), inForce, dayBefore);
            dayBefore = inForce;
        }
        auto* dayItem = new QTreeWidgetItem(m_days, {title});
        dayItem->setFirstColumnSpanned(true);
        for (; next != plan.end() && LocalMoment(next->start).dayNumber == day; ++next) {
            const TaskFields& task = planner.Tasks()[next->task];
            const OutletSet& outlets = task.power.on;
            auto* item = new QTreeWidgetItem(
                dayItem, {QString::fromStdString(rows[next->task].name), TimeOfDayText(next->start),
                          next->end ? TimeOfDayText(next->end) : QStringLiteral("—"),
                          ZoneText(task.Zones(), zones), OutletText(outlets), Files(task.playList),
                          Actions(*next, std::ranges::any_of(outlets, std::identity()))});
            item->setToolTip(kColZones, QStringLiteral("接收机 ") + ReceiverText(task.Zones()));
        }
        if (dayItem->childCount() == 0) new QTreeWidgetItem(dayItem, {QStringLiteral("（无广播）")});
    }
    m_days->expandAll();
    m_changeovers->setVisible(timetables);
    m_changeovers->setText(changeovers.isEmpty()
                               ? QStringLiteral("所选日期内作息表没有更替。")
                               : QStringLiteral("作息表更替：") + changeovers.join(QStringLiteral("；")));
}

}  // namespace lumetra
