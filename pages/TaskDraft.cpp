#include "pages/TaskDraft.h"

#include "base/NumberText.h"
#include "store/Labels.h"
#include "store/OutletSwitches.h"
#include "store/PlayList.h"
#include "store/TargetChannels.h"
#include "store/TaskStates.h"
#include "store/TaskTable.h"
#include "store/WeekDays.h"

namespace lumetra {
namespace {

// "2026-3-7": the year is the first four characters, the month runs up to the next "-".
QDate DateOf(const std::string& text) {
    const size_t dash = text.find('-', 5);
    const QDate date(LeadingInt(text.substr(0, 4)), LeadingInt(text.size() > 5 ? text.substr(5) : ""),
                     dash == std::string::npos ? 0 : LeadingInt(text.substr(dash + 1)));
    return date.isValid() ? date : QDate::currentDate();
}

// "8:5:30" or "08:05:30"; each number is read by its leading digits.
QTime TimeOf(const std::string& text) {
    const size_t first = text.find(':');
    const size_t second = first == std::string::npos ? first : text.find(':', first + 1);
    const int hour = LeadingInt(text);
    const int minute = first == std::string::npos ? 0 : LeadingInt(text.substr(first + 1));
    const int sec = second == std::string::npos ? 0 : LeadingInt(text.substr(second + 1));
    const QTime time(hour, minute, sec);
    return time.isValid() ? time : QTime(0, 0);
}

}  // namespace

TaskDraft DraftFromRecord(const TaskRecord& task, const FileExists& exists) {
    TaskDraft draft;
    draft.name = task.name;
    draft.date = DateOf(task.date);
    draft.start = TimeOf(task.startTime);
    draft.end = TimeOf(task.endTime);
    const int code = LeadingInt(task.repeatCode);
    draft.repeat = code >= 0 && code <= 2 ? RepeatKindOf(std::to_string(code)) : RepeatKind::kNone;
    draft.weekly = RepeatKindOfWord(task.repeatText) == RepeatKind::kWeekly;
    if (draft.weekly) draft.weekDays = WeekDaysOf(task.weekDays).Named();
    draft.power = OutletSwitchesOf(task.power).on;
    draft.files = PlayListOf(task.playList, exists);
    draft.zones = TargetChannelsOf(task.zones);
    return draft;
}

DraftProblem CheckDraft(const TaskDraft& draft) {
    if (draft.name.empty()) return DraftProblem::kEmptyName;
    if (draft.start >= draft.end) return DraftProblem::kStartNotBeforeEnd;
    if (draft.repeat == RepeatKind::kNone) return DraftProblem::kNoRepeat;
    return DraftProblem::kNone;
}

TaskRecord RecordFromDraft(const TaskDraft& draft, const std::string& zones) {
    TaskRecord task;
    task.name = draft.name;
    task.date = draft.date.toString(QStringLiteral("yyyy-MM-dd")).toStdString();
    task.startTime = draft.start.toString(QStringLiteral("HH:mm:ss")).toStdString();
    task.endTime = draft.end.toString(QStringLiteral("HH:mm:ss")).toStdString();
    task.repeatText = RepeatWord(draft.repeat);
    task.source = "1";
    task.playList = PlayListText(draft.files);
    task.zones = zones;
    task.repeatCode = RepeatCode(draft.repeat);
    if (draft.repeat == RepeatKind::kWeekly) task.weekDays = WeekDaysText(WeekDays::Checked(draft.weekDays));
    task.state = TaskStateWord(TaskState::kIdle);
    task.fm = "1";
    task.power = OutletSwitchesText(draft.power);
    return task;
}

std::string ZoneEntries(const std::vector<int>& checkedChannels) {
    ChannelFlags on{};
    for (int channel : checkedChannels)
        if (channel >= 1 && channel <= kChannelCount) on[static_cast<size_t>(channel - 1)] = 1;
    return TargetChannelsText(on);
}

}  // namespace lumetra
