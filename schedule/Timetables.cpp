#include "schedule/Timetables.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "store/TimetableTable.h"

namespace lumetra {
namespace {

constexpr int kDaysInMonth[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
constexpr int kLeapYearDays = 366;

// The day of a leap year at `index`, 0 for 01-01.
int MonthDayAt(int index) {
    int month = 1;
    while (index >= kDaysInMonth[month - 1]) index -= kDaysInMonth[month++ - 1];
    return MonthDayOf(month, index + 1);
}

std::array<bool, kLeapYearDays> DaysOf(const std::vector<YearlyRange>& ranges) {
    std::array<bool, kLeapYearDays> days{};
    for (int i = 0; i < kLeapYearDays; ++i)
        days[i] = std::any_of(ranges.begin(), ranges.end(),
                              [&](const YearlyRange& r) { return r.Holds(MonthDayAt(i)); });
    return days;
}

}  // namespace

int MonthDayOf(int month, int day) {
    return month * 100 + day;
}

std::string MonthDayText(int monthDay) {
    char text[8];
    std::snprintf(text, sizeof text, "%02d-%02d", monthDay / 100 % 100, monthDay % 100);
    return text;
}

bool ParseMonthDay(const std::string& text, int& monthDay) {
    int month = 0, day = 0, used = 0;
    if (std::sscanf(text.c_str(), "%2d-%2d%n", &month, &day, &used) != 2 ||
        used != static_cast<int>(text.size()) || month < 1 || month > 12 || day < 1 ||
        day > kDaysInMonth[month - 1])
        return false;
    monthDay = MonthDayOf(month, day);
    return true;
}

bool YearlyRange::Holds(int monthDay) const {
    return first <= last ? monthDay >= first && monthDay <= last : monthDay >= first || monthDay <= last;
}

bool Timetable::Holds(int monthDay) const {
    return std::any_of(ranges.begin(), ranges.end(), [&](const YearlyRange& r) { return r.Holds(monthDay); });
}

std::vector<YearlyRange> SharedDays(const std::vector<YearlyRange>& a, const std::vector<YearlyRange>& b) {
    const auto inA = DaysOf(a), inB = DaysOf(b);
    std::vector<YearlyRange> shared;
    for (int i = 0; i < kLeapYearDays; ++i) {
        if (!inA[i] || !inB[i]) continue;
        if (i > 0 && inA[i - 1] && inB[i - 1])
            shared.back().last = MonthDayAt(i);
        else
            shared.push_back({MonthDayAt(i), MonthDayAt(i)});
    }
    // A run to 12-31 and one from 01-01 are one range over the new year.
    if (shared.size() > 1 && shared.back().last == 1231 && shared.front().first == 101) {
        shared.front().first = shared.back().first;
        shared.pop_back();
    }
    return shared;
}

CTimetables::CTimetables(std::vector<Timetable> timetables,
                         std::unordered_map<std::string, int> taskTimetables)
    : m_timetables(std::move(timetables)), m_taskTimetables(std::move(taskTimetables)) {}

const Timetable* CTimetables::Find(int id) const {
    for (const Timetable& timetable : m_timetables)
        if (timetable.id == id) return &timetable;
    return nullptr;
}

const Timetable* CTimetables::Of(const std::string& taskId) const {
    if (m_taskTimetables.empty()) return nullptr;  // most schools: no lookup at all
    const auto found = m_taskTimetables.find(taskId);
    return found == m_taskTimetables.end() ? nullptr : Find(found->second);
}

bool CTimetables::InSeason(const std::string& taskId, int monthDay) const {
    const Timetable* timetable = Of(taskId);
    return !timetable || timetable->Holds(monthDay);
}

std::vector<const Timetable*> CTimetables::InForce(int monthDay) const {
    std::vector<const Timetable*> result;
    for (const Timetable& timetable : m_timetables)
        if (timetable.Holds(monthDay)) result.push_back(&timetable);
    return result;
}

void CTimetables::Assign(const std::string& taskId, int timetableId) {
    if (timetableId == 0)
        m_taskTimetables.erase(taskId);
    else
        m_taskTimetables[taskId] = timetableId;
}

CTimetables ReadTimetables(CDatabase& db) {
    CTimetableTable table(db);
    std::vector<Timetable> timetables;
    for (const TimetableRow& row : table.ReadAll()) {
        Timetable timetable{row.id, row.name, {}};
        for (const TimetableRangeRow& range : row.ranges) {
            YearlyRange yearly;
            if (ParseMonthDay(range.firstDay, yearly.first) && ParseMonthDay(range.lastDay, yearly.last))
                timetable.ranges.push_back(yearly);
        }
        timetables.push_back(std::move(timetable));
    }
    std::unordered_map<std::string, int> taskTimetables;
    for (const auto& [task, timetable] : table.ReadTaskTimetables())
        taskTimetables[std::to_string(task)] = timetable;
    return CTimetables(std::move(timetables), std::move(taskTimetables));
}

}  // namespace lumetra
