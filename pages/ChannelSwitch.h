// What the zone control page does with the receivers, apart from its tree: the shared channel
// flags (element i for channel i+1, read by the receiver page too), the four switch commands and
// the outlet buttons. The page hands over its ticks; this class decides what the station switches.
#pragma once

#include <utility>
#include <vector>

#include "store/Labels.h"

namespace lumetra {

class CStation;

class CChannelSwitch {
public:
    // (channel number, ticked) for every receiver shown.
    using Ticks = std::vector<std::pair<int, bool>>;

    explicit CChannelSwitch(CStation& station) : m_station(station) {}

    const ChannelFlags& Flags() const { return m_flags; }
    // Each shown receiver's flag follows its tick. Numbers outside 1..128 have no flag and are
    // skipped; flags of channels not shown keep their values.
    void RefreshFlags(const Ticks& ticks);

    // Each returns false, changing nothing, when the station refuses it (the emergency).
    // The flagged receivers on; flags unchanged.
    bool OpenSelected();
    // Every receiver on; every flag set.
    bool OpenAll();
    // The flagged receivers off; every flag cleared.
    bool CloseSelected();
    // Every receiver off; every flag cleared.
    bool CloseAll();
    // Inverts outlet 1..4 and sends all four.
    bool TogglePower(int outlet);

private:
    CStation& m_station;
    ChannelFlags m_flags{};
};

}  // namespace lumetra
