// Reading a stored time of day ("%H:%M:%S" in tasks, "%d:%d:%d" in the shutdown setting).
#pragma once

#include <string>

namespace lumetra {

struct HourMinuteSecond {
    int hour, minute, second;
};

// The hour is the text before the first ":", the minute the text up to the second ":", the
// second the rest; each is read by its leading digits, and a missing piece reads as 0.
HourMinuteSecond ParseTimeOfDay(const std::string& text);

}  // namespace lumetra
