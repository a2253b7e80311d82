// What the receiver page sends: the two frequencies and the volume of the ticked receivers. A
// value that is unreadable or out of range stops the send with a message naming the field and
// its range; nothing is queued then.
#pragma once

#include <optional>
#include <string>

#include "store/Labels.h"

namespace lumetra {

class CTransmitterLink;

class CReceiverCommands {
public:
    static constexpr float kMinFrequency = 68.0f;
    static constexpr float kMaxFrequency = 108.0f;
    static constexpr int kMinVolume = 0;
    static constexpr int kMaxVolume = 15;

    explicit CReceiverCommands(CTransmitterLink& link) : m_link(link) {}

    // Each returns the message for the operator, or an empty text when the frame was queued.
    // A field that could not be read as a number is passed as none.
    std::string SendFrequencies(const ChannelFlags& flags, std::optional<float> frequency2,
                                std::optional<float> frequency3);
    std::string SendVolume(const ChannelFlags& flags, std::optional<int> volume);

private:
    CTransmitterLink& m_link;
};

}  // namespace lumetra
