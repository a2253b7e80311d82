#include "store/WeekDays.h"

#include <algorithm>

namespace lumetra {

int WeekDays::TimesNamed(int weekDay) const {
    return weekDay >= 1 && weekDay <= 7
               ? static_cast<int>(std::count(entries.begin(), entries.end(), weekDay))
               : 0;
}

std::array<bool, 7> WeekDays::Named() const {
    std::array<bool, 7> named{};
    for (int day : entries)
        if (day >= 1) named[static_cast<size_t>(day - 1)] = true;
    return named;
}

WeekDays WeekDays::Checked(const std::array<bool, 7>& days) {
    WeekDays checked;
    for (size_t i = 0; i < days.size(); ++i)
        if (days[i]) checked.entries.push_back(static_cast<int>(i) + 1);
    return checked;
}

std::string_view DayName(int weekDay) {
    static constexpr std::string_view kNames[] = {"日", "一", "二", "三", "四", "五", "六"};
    return weekDay >= 1 && weekDay <= 7 ? kNames[weekDay - 1] : std::string_view();
}

WeekDays WeekDaysOf(std::string_view text) {
    WeekDays days;
    for (char c : text) days.entries.push_back(c >= '1' && c <= '7' ? c - '0' : 0);
    return days;
}

std::string WeekDaysText(const WeekDays& days) {
    std::string text;
    for (int day : days.entries) text += static_cast<char>('0' + (day >= 1 && day <= 7 ? day : 0));
    return text;
}

}  // namespace lumetra
