// What the receiver page sends, through the station: the two frequencies and the volume of the
// ticked receivers. With no receiver ticked, or a value that is unreadable or out of range, nothing
// is queued and the operator is told why (for a value: the field and its range).
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

    static constexpr const char* kNoneTicked = "请先勾选接收机";

    // What became of a send: when `sent`, `text` says what went to which receivers; otherwise it
    // is the warning for the operator.
    struct Outcome {
        bool sent = false;
        std::string text;
    };

    explicit CReceiverCommands(CStation& station) : m_station(station) {}

    // A field that could not be read as a number is passed as none.
    Outcome SendFrequencies(const ChannelFlags& flags, std::optional<float> frequency2,
                            std::optional<float> frequency3);
    Outcome SendVolume(const ChannelFlags& flags, std::optional<int> volume);

private:
    CStation& m_station;
};

}  // namespace lumetra
