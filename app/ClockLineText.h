// The clock line of the main window: "2026年03月05日 星期四 14:07:09".
#pragma once

#include <ctime>
#include <string>

namespace lumetra {

std::string ClockLineText(const std::tm& local);

}  // namespace lumetra
