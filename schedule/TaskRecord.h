// A broadcast task as stored in one tb_memo row, and the calendar rules that decide on which days
// it is due and which seconds of such a day matter to it. Nothing derived is stored back: every
// number, date and time is read afresh from the row's text.
#pragma once

#include <array>
#include <ctime>
#include <string>
#include <vector>

#include "store/Labels.h"

namespace lumetra {

class CRecordset;

struct TaskRecord {
    std::string id;          // ID
    std::string name;        // 任务名称
    std::string date;        // 日期, "%Y-%m-%d"
    std::string startTime;   // 开始时间, "%H:%M:%S"
    std::string endTime;     // 结束时间, "%H:%M:%S"
    std::string repeatText;  // 重复周期: "次", "周" or "天"
    std::string source;      // 音源
    std::string playList;    // 节目内容: paths joined by "|"
    std::string zones;       // 目标区域: 128 entries "1"/"0" joined by "|"
    std::string repeatCode;  // 提醒次数: "0" once, "1" weekly, "2" daily
    std::string weekDays;    // 一周时间: digits "1" (Sunday) to "7" (Saturday)
    std::string state;       // 状态
    std::string fm;          // FM
    std::string power;       // 外设: four characters "1"/"0"

    // Reads the current row; a column that is missing or null reads as empty text.
    static TaskRecord FromRow(const CRecordset& rows);
};

inline constexpr const char* kRepeatOnce = "0";
inline constexpr const char* kRepeatWeekly = "1";
inline constexpr const char* kRepeatDaily = "2";

struct TaskTimesResult {
    long dayOffset;   // calendar days since 日期: 0 on that day, 1 the day after, -1 the day before
    long sinceStart;  // now - today's start, seconds
    long sinceEnd;    // now - today's end, seconds
    long duration;    // today's end - today's start, seconds
};

// Midnight at the start of a "%Y-%m-%d" date, as a local time with that date's own DST rule.
std::time_t LocalDayStart(const std::string& date);
// Today's date (of `now`) with the hour, minute and second of a "%H:%M:%S" text.
std::time_t TodayAt(const std::string& time, std::time_t now);

TaskTimesResult TaskTimes(const TaskRecord& task, std::time_t now);

// How many times the rules are evaluated for this task today: 0 when not due; a weekly task
// counts each occurrence of today's week-day digit.
int DueCountToday(const TaskRecord& task, std::time_t now);
bool IsDueToday(const TaskRecord& task, std::time_t now);

// Channel i+1 is a target when entry i of 目标区域 reads as a non-zero number.
ChannelFlags ZoneFlags(const TaskRecord& task);
ChannelFlags ZoneFlagsFromList(const std::vector<std::string>& entries);

// Applies 外设 to four switches: "1" sets a switch on, "0" off, anything else leaves it.
void ApplyPowerSwitches(const TaskRecord& task, std::array<bool, 4>& switches);
std::array<bool, 4> PowerSwitches(const TaskRecord& task);

inline const std::string& PlayList(const TaskRecord& task) { return task.playList; }

}  // namespace lumetra
