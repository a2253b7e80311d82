#include "schedule/TaskRecord.h"

#include "schedule/TimeOfDay.h"
#include "store/DbError.h"
#include "store/Recordset.h"
#include "store/SplitString.h"

namespace lumetra {
namespace {

std::string FieldOrEmpty(const CRecordset& rows, const char* name) {
    try {
        return rows.GetFieldText(name);
    } catch (const CDbError&) {
        // Rows the system never writes (a null column, a missing one) read as empty text.
        return {};
    }
}

std::time_t MakeLocal(int year, int month, int day, int hour, int minute, int second) {
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    tm.tm_isdst = -1;  // the daylight-saving rule of the date itself
    return std::mktime(&tm);
}

// Days since 1970-01-01 of a proleptic Gregorian date (valid for any year).
long DaysFromCivil(long y, long m, long d) {
    y -= m <= 2;
    const long era = (y >= 0 ? y : y - 399) / 400;
    const long yoe = y - era * 400;
    const long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

// The local calendar day of a moment, as a day number.
long LocalDayNumber(std::time_t moment) {
    std::tm tm{};
    localtime_r(&moment, &tm);
    return DaysFromCivil(tm.tm_year + 1900L, tm.tm_mon + 1L, tm.tm_mday);
}

}  // namespace

TaskRecord TaskRecord::FromRow(const CRecordset& rows) {
    TaskRecord t;
    t.name = FieldOrEmpty(rows, "任务名称");
    t.date = FieldOrEmpty(rows, "日期");
    t.startTime = FieldOrEmpty(rows, "开始时间");
    t.endTime = FieldOrEmpty(rows, "结束时间");
    t.playList = FieldOrEmpty(rows, "节目内容");
    t.repeatCode = FieldOrEmpty(rows, "提醒次数");
    t.weekDays = FieldOrEmpty(rows, "一周时间");
    t.source = FieldOrEmpty(rows, "音源");
    t.zones = FieldOrEmpty(rows, "目标区域");
    t.state = FieldOrEmpty(rows, "状态");
    t.id = FieldOrEmpty(rows, "ID");
    t.power = FieldOrEmpty(rows, "外设");
    t.repeatText = FieldOrEmpty(rows, "重复周期");
    t.fm = FieldOrEmpty(rows, "FM");
    return t;
}

std::time_t LocalDayStart(const std::string& date) {
    // Year: the first four characters; month: from character 5 up to the next "-"; day: the rest.
    const int year = LeadingInt(date.substr(0, 4));
    int month = 0, day = 0;
    if (date.size() > 5) {
        const size_t dash = date.find('-', 5);
        month = LeadingInt(date.substr(5, dash == std::string::npos ? dash : dash - 5));
        if (dash != std::string::npos) day = LeadingInt(date.substr(dash + 1));
    }
    return MakeLocal(year, month, day, 0, 0, 0);
}

std::time_t TodayAt(const std::string& time, std::time_t now) {
    std::tm today{};
    localtime_r(&now, &today);
    const HourMinuteSecond hms = ParseTimeOfDay(time);
    return MakeLocal(today.tm_year + 1900, today.tm_mon + 1, today.tm_mday, hms.hour, hms.minute, hms.second);
}

TaskTimesResult TaskTimes(const TaskRecord& task, std::time_t now) {
    const std::time_t taskDay = LocalDayStart(task.date);
    const std::time_t todayStart = TodayAt(task.startTime, now);
    const std::time_t todayEnd = TodayAt(task.endTime, now);
    TaskTimesResult r;
    // Whole calendar days between the two dates. Dividing the seconds by 86400 would be a day off
    // for an hour after midnight on the day after a 23-hour or 25-hour day, so a once task would
    // run twice or not at all around a daylight-saving change; elsewhere both agree.
    r.dayOffset = LocalDayNumber(now) - LocalDayNumber(taskDay);
    r.sinceStart = static_cast<long>(now - todayStart);
    r.sinceEnd = static_cast<long>(now - todayEnd);
    r.duration = static_cast<long>(todayEnd - todayStart);
    return r;
}

int DueCountToday(const TaskRecord& task, std::time_t now) {
    const long dayOffset = TaskTimes(task, now).dayOffset;
    if (dayOffset < 0) return 0;
    if (task.repeatCode == kRepeatOnce) return dayOffset == 0 ? 1 : 0;
    if (task.repeatCode == kRepeatDaily) return 1;
    if (task.repeatCode != kRepeatWeekly) return 0;
    std::tm today{};
    localtime_r(&now, &today);
    const int weekDay = today.tm_wday + 1;  // 1 Sunday .. 7 Saturday
    int count = 0;
    for (char c : task.weekDays)
        if (c - '0' == weekDay) ++count;
    return count;
}

bool IsDueToday(const TaskRecord& task, std::time_t now) { return DueCountToday(task, now) > 0; }

ChannelFlags ZoneFlagsFromList(const std::vector<std::string>& entries) {
    ChannelFlags flags{};
    for (size_t i = 0; i < entries.size() && i < flags.size(); ++i) flags[i] = LeadingInt(entries[i]) != 0;
    return flags;
}

ChannelFlags ZoneFlags(const TaskRecord& task) {
    std::vector<std::string> entries;
    SplitString(task.zones, entries, '|');
    return ZoneFlagsFromList(entries);
}

void ApplyPowerSwitches(const TaskRecord& task, std::array<bool, 4>& switches) {
    for (size_t k = 0; k < switches.size() && k < task.power.size(); ++k) {
        if (task.power[k] == '1') switches[k] = true;
        if (task.power[k] == '0') switches[k] = false;
    }
}

std::array<bool, 4> PowerSwitches(const TaskRecord& task) {
    std::array<bool, 4> switches{};
    ApplyPowerSwitches(task, switches);
    return switches;
}

}  // namespace lumetra
