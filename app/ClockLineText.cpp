#include "app/ClockLineText.h"

#include <array>

namespace lumetra {

std::string ClockLineText(const std::tm& local) {
    static constexpr std::array<const char*, 7> kWeekDays = {"日", "一", "二", "三", "四", "五", "六"};
    char date[64];
    char time[16];
    std::strftime(date, sizeof date, "%Y年%m月%d日", &local);
    std::strftime(time, sizeof time, "%H:%M:%S", &local);
    const int weekDay = local.tm_wday >= 0 && local.tm_wday < 7 ? local.tm_wday : 0;
    return std::string(date) + " 星期" + kWeekDays[weekDay] + " " + time;
}

}  // namespace lumetra
