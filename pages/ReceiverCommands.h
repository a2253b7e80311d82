// What the receiver page sends, through the station: the two frequencies and the volume of the
// ticked receivers. A value that is unreadable or out of range stops the send with a message
// naming the field and its range; nothing is queued then.
#pragma once

#include <optional>
#include <string>

#include "store/Labels.h"

namespace lumetra {

class CStation;

class CReceiverCommands {
public:
    static constexpr float kMinFrequency = 68.0f;
    static constexpr float kMaxFrequency = 108.0f;
    static constexpr int kMinVolume = 0;
    static constexpr int kMaxVolume = 15;

    explicit CReceiverCommands(CStation& station) : m_station(station) {}

    // Each returns the message for the operator, or an empty text when the frame was queued.
    // A field that could not be read as a number is passed as none.
    std::string SendFrequencies(const ChannelFlags& flags, std::optional<float> frequency2,
                                std::optional<float> frequency3);
    std::string SendVolume(const ChannelFlags& flags, std::optional<int> volume);

private:
    CStation& m_station;
};

}  // namespace lumetra
