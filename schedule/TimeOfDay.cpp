#include "schedule/TimeOfDay.h"

#include "base/NumberText.h"

namespace lumetra {

HourMinuteSecond ParseTimeOfDay(const std::string& text) {
    HourMinuteSecond hms{0, 0, 0};
    const size_t first = text.find(':');
    hms.hour = LeadingInt(text.substr(0, first));
    if (first == std::string::npos) return hms;
    const size_t second = text.find(':', first + 1);
    hms.minute =
        LeadingInt(text.substr(first + 1, second == std::string::npos ? second : second - first - 1));
    if (second != std::string::npos) hms.second = LeadingInt(text.substr(second + 1));
    return hms;
}

}  // namespace lumetra
