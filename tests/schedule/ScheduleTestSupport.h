// Helpers shared by the scheduling tests: local times built from calendar fields.
#pragma once

#include <ctime>

namespace lumetra::test {

// The local time of a calendar date and time of day, with that date's own daylight-saving rule.
inline std::time_t LocalTime(int year, int month, int day, int hour, int minute, int second) {
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    tm.tm_isdst = -1;
    return std::mktime(&tm);
}

}  // namespace lumetra::test
