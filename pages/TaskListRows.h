// What the task list shows for each stored task: its columns and the row colour of its state.
#pragma once

#include <QString>
#include <ctime>
#include <map>
#include <string>
#include <vector>

#include "store/PlayMode.h"
#include "widgets/ColorList.h"

namespace lumetra {

struct TaskRecord;

// 重复周期 and 一周时间 as the operator reads them: "周一、三、五", "每天", "仅一次".
QString RepeatText(const TaskRecord& task);
// Grey for "未执行", near white for "已执行", green for "正在执行", the list's own otherwise.
QColor StateColour(const std::string& state);
// Rows in the given order, numbered from 1, with each task's own play mode from `modes` (by task
// ID); a task without one plays in the instant-play page's mode. 上次播放 is when the task's last
// broadcast began, from `lastStarts` (by task ID, as the history keeps it). `timetables` names the
// timetable of each task in one (by task ID); the others show "全年".
std::vector<ColorListRow> TaskListRows(const std::vector<TaskRecord>& tasks,
                                       const std::map<int, PlayMode>& modes,
                                       const std::map<std::string, std::time_t>& lastStarts,
                                       const std::map<int, QString>& timetables = {});

// Columns of the list, by position.
enum TaskListColumn {
    kColNumber,
    kColName,
    kColDate,
    kColStart,
    kColEnd,
    kColRepeat,
    kColState,
    kColMode,
    kColLastPlayed,
    kColTimetable
};

}  // namespace lumetra
