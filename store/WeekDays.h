// 一周时间 as stored: one character per entry, "1" for Sunday to "7" for Saturday ("246" is Monday,
// Wednesday and Friday). A day written twice makes a weekly task due twice over that day, and a
// character naming no day still takes its place in the task list's text.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace lumetra {

struct WeekDays {
    std::vector<int> entries;  // in stored order: 1 Sunday to 7 Saturday, 0 for a character naming no day

    // How many entries name `weekDay` (1 Sunday to 7 Saturday).
    int TimesNamed(int weekDay) const;
    // Element i is true when day i+1 is named at least once (Sunday first).
    std::array<bool, 7> Named() const;
    // The days checked, Sunday first, each once: what the task editor stores.
    static WeekDays Checked(const std::array<bool, 7>& days);
};

// A day's one-character name, "日" for 1 (Sunday) to "六" for 7 (Saturday), as in "星期日" and "周一";
// empty for a number naming no day.
std::string_view DayName(int weekDay);

WeekDays WeekDaysOf(std::string_view text);
// One digit per entry; an entry naming no day is written "0".
std::string WeekDaysText(const WeekDays& days);

}  // namespace lumetra
