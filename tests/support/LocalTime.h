// Test helpers for time: local times built from calendar fields, and a time
// zone set for the length of a test.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

#include "schedule/LocalMoment.h"

namespace lumetra::test {

// The calendar fields of a date and time of day, as std::tm holds them.
inline std::tm CalendarTm(int year, int month, int day, int hour, int minute, int second) {
    return CalendarFields(year, month, day, hour, minute, second);
}

// A moment as local text in a strftime format ("%T", "%m-%d").
inline std::string LocalText(std::time_t moment, const char* format) {
    std::tm local{};
    localtime_r(&moment, &local);
    char text[64];
    std::strftime(text, sizeof text, format, &local);
    return text;
}

// The local time of a calendar date and time of day, settled as the task times are.
inline std::time_t LocalTime(int year, int month, int day, int hour, int minute, int second) {
    return LocalTimeOf(year, month, day, hour, minute, second);
}

// The same with the time of day written "08:00:00"; "24:00:05" is five seconds into the next day.
inline std::time_t LocalTime(int year, int month, int day, const std::string& timeOfDay) {
    int hour = 0, minute = 0, second = 0;
    std::sscanf(timeOfDay.c_str(), "%d:%d:%d", &hour, &minute, &second);
    return LocalTime(year, month, day, hour, minute, second);
}

// Sets the time zone (TZ) for the life of the object.
class CZone {
public:
    explicit CZone(const char* zone) {
        if (const char* saved = std::getenv("TZ")) m_saved = saved;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~CZone() {
        if (m_saved)
            setenv("TZ", m_saved->c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }
    CZone(const CZone&) = delete;
    CZone& operator=(const CZone&) = delete;

private:
    std::optional<std::string> m_saved;
};

}  // namespace lumetra::test
