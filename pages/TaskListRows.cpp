#include "pages/TaskListRows.h"

#include <QDateTime>

#include "base/NumberText.h"
#include "store/PlayMode.h"
#include "store/TaskStates.h"
#include "store/TaskTable.h"
#include "store/WeekDays.h"

namespace lumetra {

QString RepeatText(const TaskRecord& task) {
    switch (RepeatKindOfWord(task.repeatText)) {
        case RepeatKind::kDaily:
            return QStringLiteral("每天");
        case RepeatKind::kOnce:
            return QStringLiteral("仅一次");
        case RepeatKind::kWeekly:
            break;
        case RepeatKind::kNone:
            return {};
    }
    // Every entry but the last gets its separator, even one naming no day.
    QStringList days;
    for (int day : WeekDaysOf(task.weekDays).entries) days << QString::fromUtf8(DayName(day));
    return QStringLiteral("周") + days.join(QStringLiteral("、"));
}

QColor StateColour(TaskState state) {
    switch (state) {
        case TaskState::kIdle:
            return QColor(160, 160, 160);
        case TaskState::kDone:
            return QColor(245, 245, 245);
        case TaskState::kRunning:
            return QColor(0, 245, 0);
        case TaskState::kOther:
            break;
    }
    return {};
}

QString ModeText(const TaskRecord& task, const std::map<int, PlayMode>& modes) {
    const auto found = modes.find(LeadingInt(task.id));
    if (found == modes.end()) return QStringLiteral("跟随即时播放");
    const PlayMode mode = found->second;
    for (const PlayModeInfo& info : kPlayModes)
        if (info.mode == mode) return QString::fromUtf8(info.text);
    return {};
}

// "03-05 08:00": the month and day with the time, or a dash for a task that never played.
QString LastPlayedText(const TaskRecord& task, const std::map<std::string, std::time_t>& lastStarts) {
    const auto found = lastStarts.find(task.id);
    if (found == lastStarts.end()) return QStringLiteral("—");
    return QDateTime::fromSecsSinceEpoch(found->second).toString(QStringLiteral("MM-dd HH:mm"));
}

QString TimetableText(const TaskRecord& task, const std::map<int, QString>& timetables) {
    const auto found = timetables.find(LeadingInt(task.id));
    return found == timetables.end() ? QStringLiteral("全年") : found->second;
}

std::vector<ColorListRow> TaskListRows(const std::vector<TaskRecord>& tasks,
                                       const std::map<int, PlayMode>& modes,
                                       const std::map<std::string, std::time_t>& lastStarts,
                                       const std::map<int, QString>& timetables) {
    std::vector<ColorListRow> rows;
    rows.reserve(tasks.size());
    for (const TaskRecord& task : tasks) {
        rows.push_back(
            {{QString::number(rows.size() + 1), QString::fromStdString(task.name),
              QString::fromStdString(task.date), QString::fromStdString(task.startTime),
              QString::fromStdString(task.endTime), RepeatText(task), QString::fromStdString(task.state),
              ModeText(task, modes), LastPlayedText(task, lastStarts), TimetableText(task, timetables)},
             StateColour(TaskStateOf(task.state))});
    }
    return rows;
}

}  // namespace lumetra
