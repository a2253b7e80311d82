// How the preview and the conflict warning write a broadcast's parts for the operator.
#pragma once

#include <QString>
#include <array>
#include <ctime>
#include <vector>

#include "store/Labels.h"
#include "store/OutletSwitches.h"
#include "store/ZoneCatalog.h"

namespace lumetra {

struct TaskConflict;

// "08:00:00" and "2026-10-05 星期一" of a moment, local time.
QString TimeOfDayText(std::time_t moment);
QString DateText(std::time_t moment);
// "1、3、10": the receivers switched.
QString ReceiverText(const ChannelFlags& channels);
// "教学楼、5、7": the zones all of whose receivers are switched, by name, then the other receivers
// switched, by number. A zone without a name counts as one without receivers.
QString ZoneText(const ChannelFlags& channels, const std::vector<ZoneNode>& zones);
// "1号、3号": the outlets named.
QString OutletText(const OutletSet& outlets);
// One line of the conflict warning: the other task, the first day, both times, what they share.
QString ConflictText(const std::string& otherName, const TaskConflict& conflict);

}  // namespace lumetra
