// Local calendar days and times of day: a moment with its local date, day numbers of any date, and
// the moment a local date and time of day stand for, settled where a clock change skips or repeats
// the time.
#pragma once

#include <ctime>

namespace lumetra {

// A moment with its local calendar day, read once and shared by every task evaluated at it.
struct LocalMoment {
    LocalMoment(std::time_t moment);  // implicit: a plain time reads as its local moment
    std::time_t time;
    std::tm local;
    long dayNumber;  // days since 1970-01-01 of the local date
};

// The calendar fields of a date and time of day, as std::tm holds them; daylight saving unset.
std::tm CalendarFields(int year, int month, int day, int hour, int minute, int second);
// Days since 1970-01-01 of a calendar date (any year), and the local noon of such a day.
long CivilDayNumber(long year, long month, long day);
LocalMoment NoonOf(long dayNumber);
// A local date and time of day, with the daylight-saving rule of the date itself. A time that a
// clock change repeats is its first moment, a skipped one the moment after the gap; fields out of
// range roll over as the calendar does ("24:00:05" is five seconds into the next day).
std::time_t LocalTimeOf(int year, int month, int day, int hour, int minute, int second);
// The same on the local date of `day`.
std::time_t LocalTimeOf(const LocalMoment& day, int hour, int minute, int second);

}  // namespace lumetra
