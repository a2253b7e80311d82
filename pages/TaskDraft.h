// The task editor's fields as plain values: read from a stored task, checked, and turned into the
// tb_memo row the scheduler reads.
#pragma once

#include <QDate>
#include <QTime>
#include <array>
#include <string>
#include <vector>

#include "store/Labels.h"
#include "store/OutletSwitches.h"
#include "store/StoredPath.h"
#include "store/TaskTable.h"

namespace lumetra {

struct TaskDraft {
    std::string name;
    QDate date;
    QTime start, end;
    RepeatKind repeat = RepeatKind::kNone;
    bool weekly = false;             // the stored 重复周期 is "周"
    std::array<bool, 7> weekDays{};  // Sunday first
    OutletSet power{};
    std::vector<std::string> files;  // full paths as the operator sees them
    ChannelFlags zones{};            // the stored 目标区域

    bool operator==(const TaskDraft&) const = default;
};

// The draft of a stored task. A path's first "$" stands for an apostrophe unless the path exists
// on disk as it is stored and the apostrophe form does not.
TaskDraft DraftFromRecord(const TaskRecord& task, const FileExists& exists);

enum class DraftProblem { kNone, kEmptyName, kStartNotBeforeEnd, kNoRepeat };
DraftProblem CheckDraft(const TaskDraft& draft);

// The row to store. `zones` is 目标区域 as ZoneEntries builds it.
TaskRecord RecordFromDraft(const TaskDraft& draft, const std::string& zones);

// 128 entries joined by "|": "1" for every listed channel number from 1 to 128, else "0".
std::string ZoneEntries(const std::vector<int>& checkedChannels);

}  // namespace lumetra
