// What the simulated transmitter knows: 128 receivers (on or off, volume), the two frequencies,
// four power outlets and the text of every LED screen. Applying a valid frame updates it and says,
// in a few words a person can read, what the frame did.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "tools/txsim/FrameDecoder.h"

namespace lumetra::txsim {

struct FrameSummary {
    std::string command;  // "SendAudioCom", "SendLED", ... or "?" for a frame that failed its checks
    std::string text;     // "channels on: 1-12, 40"
};

class CTransmitterState {
public:
    static constexpr int kReceivers = 128;

    CTransmitterState() { m_volume.fill(-1); }

    FrameSummary Apply(const DecodedFrame& frame);
    // Several lines describing everything at once.
    std::string Describe() const;

    bool ReceiverOn(int channel) const { return m_on[static_cast<size_t>(channel - 1)]; }
    int Volume(int channel) const { return m_volume[static_cast<size_t>(channel - 1)]; }
    bool OutletOn(int outlet) const { return m_outlets[static_cast<size_t>(outlet - 1)]; }
    const std::map<int, std::string>& LedTexts() const { return m_led; }
    double Frequency2() const { return m_frequency2; }
    double Frequency3() const { return m_frequency3; }

private:
    FrameSummary ApplyChannels(const std::vector<uint8_t>& frame);
    FrameSummary ApplyVolume(const std::vector<uint8_t>& frame);
    FrameSummary ApplyFrequencies(const std::vector<uint8_t>& frame);
    FrameSummary ApplyPower(const std::vector<uint8_t>& frame);
    FrameSummary ApplyLed(const std::vector<uint8_t>& frame);

    std::array<bool, kReceivers> m_on{};
    std::array<int, kReceivers> m_volume;  // -1 until a volume frame names the receiver
    std::array<bool, 4> m_outlets{};
    double m_frequency2 = 0;  // MHz; 0 until the first frequency frame
    double m_frequency3 = 0;
    std::map<int, std::string> m_led;  // screen number -> UTF-8 text
};

// The channels of the map that ends at frame offset 68: bit k stands for channel k+1, up to
// `lastChannel` (512 for the whole 64-byte map; 128 where offsets 5..52 carry other fields).
std::vector<int> MapChannels(const uint8_t* frame, int lastChannel);
// "1-12, 40", "all", "none"; `total` is the number of channels that "all" means.
std::string ChannelRanges(const std::vector<int>& channels, int total);

}  // namespace lumetra::txsim
