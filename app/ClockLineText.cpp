#include "app/ClockLineText.h"

#include "store/WeekDays.h"

namespace lumetra {

std::string ClockLineText(const std::tm& local) {
    char date[64];
    char time[16];
    std::strftime(date, sizeof date, "%Y年%m月%d日", &local);
    std::strftime(time, sizeof time, "%H:%M:%S", &local);
    const int weekDay = local.tm_wday >= 0 && local.tm_wday < 7 ? local.tm_wday + 1 : 1;
    return std::string(date) + " 星期" + std::string(DayName(weekDay)) + " " + time;
}

}  // namespace lumetra
