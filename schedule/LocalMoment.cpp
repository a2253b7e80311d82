#include "schedule/LocalMoment.h"

#include <algorithm>

namespace lumetra {
namespace {

long DayNumberOf(const std::tm& local) {
    return CivilDayNumber(local.tm_year + 1900L, local.tm_mon + 1L, local.tm_mday);
}

}  // namespace

std::tm CalendarFields(int year, int month, int day, int hour, int minute, int second) {
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    return tm;
}

// mktime alone answers a wall-clock time that a clock change repeats or skips by a guess that
// depends on its earlier calls, so such times are settled here.
std::time_t LocalTimeOf(int year, int month, int day, int hour, int minute, int second) {
    const std::tm asked = CalendarFields(year, month, day, hour, minute, second);
    std::tm tm = asked;
    tm.tm_isdst = -1;
    const std::time_t moment = std::mktime(&tm);
    const bool timeInRange =
        hour >= 0 && hour < 24 && minute >= 0 && minute < 60 && second >= 0 && second < 60;
    if (timeInRange && (tm.tm_hour != hour || tm.tm_min != minute)) {
        std::tm standard = asked, summer = asked;
        standard.tm_isdst = 0;
        summer.tm_isdst = 1;
        return std::max(std::mktime(&standard), std::mktime(&summer));
    }
    for (const std::time_t shift : {3600, 1800}) {
        const std::time_t earlier = moment - shift;
        std::tm e{};
        localtime_r(&earlier, &e);
        if (e.tm_mday == tm.tm_mday && e.tm_hour == tm.tm_hour && e.tm_min == tm.tm_min &&
            e.tm_sec == tm.tm_sec)
            return earlier;
    }
    return moment;
}

// Proleptic Gregorian.
long CivilDayNumber(long y, long m, long d) {
    y -= m <= 2;
    const long era = (y >= 0 ? y : y - 399) / 400;
    const long yoe = y - era * 400;
    const long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

LocalMoment NoonOf(long dayNumber) {
    // The inverse of CivilDayNumber.
    const long z = dayNumber + 719468;
    const long era = (z >= 0 ? z : z - 146096) / 146097;
    const long doe = z - era * 146097;
    const long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long mp = (5 * doy + 2) / 153;
    const long day = doy - (153 * mp + 2) / 5 + 1;
    const long month = mp < 10 ? mp + 3 : mp - 9;
    const long year = yoe + era * 400 + (month <= 2);
    return LocalMoment(
        LocalTimeOf(static_cast<int>(year), static_cast<int>(month), static_cast<int>(day), 12, 0, 0));
}

std::time_t LocalTimeOf(const LocalMoment& day, int hour, int minute, int second) {
    return LocalTimeOf(day.local.tm_year + 1900, day.local.tm_mon + 1, day.local.tm_mday, hour, minute,
                       second);
}

LocalMoment::LocalMoment(std::time_t moment) : time(moment), local{} {
    localtime_r(&moment, &local);
    dayNumber = DayNumberOf(local);
}

}  // namespace lumetra
