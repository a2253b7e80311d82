#include "tools/txsim/TransmitterState.h"

#include <cstdio>

#include "base/Gbk.h"
#include "base/NumberText.h"
#include "link/Frames.h"

namespace lumetra::txsim {
namespace {

constexpr int kMapChannels = 512;

// Packed BCD, three bytes, in units of 10 kHz.
double FrequencyAt(const std::vector<uint8_t>& frame, size_t offset) {
    long n = 0;
    for (size_t i = offset; i < offset + 3; ++i) n = n * 100 + (frame[i] >> 4) * 10 + (frame[i] & 0x0F);
    return static_cast<double>(n) / 100.0;
}

std::string Megahertz(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f MHz", value);
    return text;
}

}  // namespace

std::vector<int> MapChannels(const uint8_t* frame, int lastChannel) {
    std::vector<int> channels;
    for (int k = 0; k < lastChannel; ++k) {
        const uint8_t byte = frame[kChannelMapLast - static_cast<size_t>(k / 8)];
        if (byte & (1u << (k % 8))) channels.push_back(k + 1);
    }
    return channels;
}

std::string ChannelRanges(const std::vector<int>& channels, int total) {
    if (channels.empty()) return "none";
    if (static_cast<int>(channels.size()) == total) return "all";
    return NumberRanges(channels);
}

FrameSummary CTransmitterState::Apply(const DecodedFrame& frame) {
    if (!frame.Valid()) return {"?", frame.problem};
    switch (frame.bytes[4]) {
        case kCodeHeartbeat:
            return {"SendSCOM", "heartbeat"};
        case kCodePower:
            return ApplyPower(frame.bytes);
        case kCodeLed:
            return ApplyLed(frame.bytes);
        case kCodeChannels:
            return ApplyChannels(frame.bytes);
        case kCodeVolume:
            return ApplyVolume(frame.bytes);
        case kCodeFrequency:
            return ApplyFrequencies(frame.bytes);
        default:
            return {"?", "unknown command"};
    }
}

FrameSummary CTransmitterState::ApplyChannels(const std::vector<uint8_t>& frame) {
    const std::vector<int> channels = MapChannels(frame.data(), kMapChannels);
    const bool on = frame[kAudioStateOffset] != 0;
    for (int channel : channels)
        if (channel <= kReceivers) m_on[static_cast<size_t>(channel - 1)] = on;
    return {"SendAudioCom",
            std::string(on ? "channels on: " : "channels off: ") + ChannelRanges(channels, kMapChannels)};
}

FrameSummary CTransmitterState::ApplyVolume(const std::vector<uint8_t>& frame) {
    const std::vector<int> channels = MapChannels(frame.data(), kMapChannels);
    const int volume = frame[kAudioStateOffset];
    for (int channel : channels)
        if (channel <= kReceivers) m_volume[static_cast<size_t>(channel - 1)] = volume;
    return {"SendAudioCom",
            "volume " + std::to_string(volume) + ": " + ChannelRanges(channels, kMapChannels)};
}

FrameSummary CTransmitterState::ApplyFrequencies(const std::vector<uint8_t>& frame) {
    m_frequency3 = FrequencyAt(frame, 5);
    m_frequency2 = FrequencyAt(frame, 69);
    return {"SendFMCom", "frequency 2 " + Megahertz(m_frequency2) + ", frequency 3 " +
                             Megahertz(m_frequency3) + ": " +
                             ChannelRanges(MapChannels(frame.data(), kReceivers), kReceivers)};
}

FrameSummary CTransmitterState::ApplyPower(const std::vector<uint8_t>& frame) {
    const uint8_t mask = frame[5];
    if (mask == kPowerOffMask) {
        m_outlets.fill(false);
        return {"ClosePower", "all outlets off"};
    }
    std::vector<int> on;
    for (int i = 0; i < 4; ++i) {
        m_outlets[static_cast<size_t>(i)] = mask & (1u << i);
        if (m_outlets[static_cast<size_t>(i)]) on.push_back(i + 1);
    }
    return {"SendPower", "outlets on: " + ChannelRanges(on, 4)};
}

FrameSummary CTransmitterState::ApplyLed(const std::vector<uint8_t>& frame) {
    const int screen = frame[5];
    const std::string gbk(frame.begin() + 6, frame.end() - 1);
    std::string error;
    const auto text = GbkToUtf8(gbk, &error);
    if (!text)
        return {"SendLED",
                "screen " + std::to_string(screen) + ": " + error + ": " + Hex(frame.data() + 6, gbk.size())};
    m_led[screen] = *text;
    return {"SendLED", "screen " + std::to_string(screen) + ": \"" + *text + "\""};
}

std::string CTransmitterState::Describe() const {
    std::vector<int> on;
    std::map<int, std::vector<int>> byVolume;
    for (int channel = 1; channel <= kReceivers; ++channel) {
        if (ReceiverOn(channel)) on.push_back(channel);
        byVolume[Volume(channel)].push_back(channel);
    }
    std::string text = "receivers on: " + ChannelRanges(on, kReceivers) + "\n";
    for (const auto& [volume, channels] : byVolume)
        text += (volume < 0 ? std::string("volume not set") : "volume " + std::to_string(volume)) + ": " +
                ChannelRanges(channels, kReceivers) + "\n";
    text += "frequency 2: " + Megahertz(m_frequency2) + ", frequency 3: " + Megahertz(m_frequency3) + "\n";
    std::vector<int> outlets;
    for (int i = 1; i <= 4; ++i)
        if (OutletOn(i)) outlets.push_back(i);
    text += "outlets on: " + ChannelRanges(outlets, 4) + "\n";
    for (const auto& [screen, message] : m_led)
        text += "LED " + std::to_string(screen) + ": \"" + message + "\"\n";
    return text;
}

}  // namespace lumetra::txsim
