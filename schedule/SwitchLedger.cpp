#include "schedule/SwitchLedger.h"

#include <algorithm>

namespace lumetra {

namespace {

bool Needs(const SwitchedTask& task) {
    return task.phase == BroadcastPhase::kLead || task.phase == BroadcastPhase::kOnAir;
}

}  // namespace

SwitchedTask* CSwitchLedger::Find(const std::string& id) {
    const auto found = m_tasks.find(id);
    return found == m_tasks.end() ? nullptr : &found->second;
}

ChannelFlags CSwitchLedger::ChannelsNeededBesides(const std::string& id) const {
    ChannelFlags needed{};
    for (const auto& [other, task] : m_tasks)
        if (other != id && Needs(task))
            for (size_t i = 0; i < needed.size(); ++i) needed[i] |= task.channels[i] ? 1 : 0;
    return needed;
}

OutletSet CSwitchLedger::OutletsNeededBesides(const std::string& id) const {
    OutletSet needed{};
    for (const auto& [other, task] : m_tasks)
        if (other != id && Needs(task))
            for (size_t i = 0; i < needed.size(); ++i) needed[i] = needed[i] || task.power.on[i];
    return needed;
}

ChannelFlags ChannelsNotIn(const ChannelFlags& wanted, const ChannelFlags& needed) {
    ChannelFlags left{};
    for (size_t i = 0; i < left.size(); ++i) left[i] = wanted[i] && !needed[i] ? 1 : 0;
    return left;
}

bool AnyChannel(const ChannelFlags& flags) {
    return std::any_of(flags.begin(), flags.end(), [](auto flag) { return flag != 0; });
}

}  // namespace lumetra
