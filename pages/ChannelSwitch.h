// What the zone control page does with the transmitter, apart from its tree: the shared channel
// flags (element i for channel i+1, read by the receiver page too), the four switch commands and
// the outlet buttons. The page hands over its ticks; this class decides the frames.
#pragma once

#include <utility>
#include <vector>

#include "store/Labels.h"

namespace lumetra {

class CTransmitterLink;

class CChannelSwitch {
public:
    // (channel number, ticked) for every receiver shown.
    using Ticks = std::vector<std::pair<int, bool>>;

    explicit CChannelSwitch(CTransmitterLink& link) : m_link(link) {}

    const ChannelFlags& Flags() const { return m_flags; }
    // Each shown receiver's flag follows its tick. Numbers outside 1..128 have no flag and are
    // skipped; flags of channels not shown keep their values.
    void RefreshFlags(const Ticks& ticks);

    // The flagged receivers on; flags unchanged.
    void OpenSelected();
    // Every receiver on; every flag set.
    void OpenAll();
    // The flagged receivers off; every flag cleared.
    void CloseSelected();
    // Every receiver off; every flag cleared.
    void CloseAll();
    // Inverts outlet 1..4 and sends all four; returns the outlet's new state.
    bool TogglePower(int outlet);

private:
    CTransmitterLink& m_link;
    ChannelFlags m_flags{};
};

}  // namespace lumetra
