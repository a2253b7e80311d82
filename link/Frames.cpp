#include "link/Frames.h"

#include <cmath>

namespace lumetra {
namespace {

AudioImage AudioHeader(uint8_t code) {
    AudioImage image{};
    WriteHeader(image.data(), kAudioFrameSize, code);
    return image;
}

}  // namespace

uint8_t FrameChecksum(const uint8_t* frame, size_t size) {
    uint8_t sum = 0;
    for (size_t i = 1; i + 1 < size; ++i) sum ^= frame[i];
    return sum;
}

void WriteHeader(uint8_t* frame, size_t size, uint8_t code) {
    frame[0] = kFrameStart;
    frame[1] = 0x40;
    frame[2] = 0x01;
    frame[3] = static_cast<uint8_t>(size);
    frame[4] = code;
}

void SealFrame(uint8_t* frame, size_t size) {
    frame[size - 1] = FrameChecksum(frame, size);
}

ShortFrame MakeShortFrame(uint8_t code, uint8_t payload) {
    ShortFrame frame{};
    WriteHeader(frame.data(), frame.size(), code);
    frame[5] = payload;
    SealFrame(frame.data(), frame.size());
    return frame;
}

void WriteChannelMap(uint8_t* frame, const ChannelFlags& flags) {
    for (size_t group = 0; group < flags.size() / 8; ++group) {
        uint8_t bits = 0;
        for (size_t bit = 0; bit < 8; ++bit)
            if (flags[group * 8 + bit]) bits |= static_cast<uint8_t>(1u << bit);
        frame[kChannelMapLast - group] = bits;
    }
}

AudioImage ChannelImage(const ChannelFlags& flags, uint8_t state) {
    AudioImage image = AudioHeader(kCodeChannels);
    WriteChannelMap(image.data(), flags);
    image[kAudioStateOffset] = state;
    return image;
}

AudioImage AllChannelsImage(uint8_t state) {
    AudioImage image = AudioHeader(kCodeChannels);
    for (size_t i = kChannelMapOffset; i <= kChannelMapLast; ++i) image[i] = 0xFF;
    image[kAudioStateOffset] = state;
    return image;
}

AudioImage VolumeImage(const ChannelFlags& flags, uint8_t volume) {
    AudioImage image = AudioHeader(kCodeVolume);
    WriteChannelMap(image.data(), flags);
    image[kAudioStateOffset] = volume;
    return image;
}

uint8_t PowerMask(const std::array<bool, 4>& outlets) {
    uint8_t mask = 0;
    for (size_t i = 0; i < outlets.size(); ++i)
        if (outlets[i]) mask |= static_cast<uint8_t>(1u << i);
    return mask;
}

ShortFrame PowerFrame(uint8_t mask) {
    return MakeShortFrame(kCodePower, mask);
}

long SnapFrequency(float megahertz) {
    const float product = megahertz * 100.0f;
    const long whole = static_cast<long>(product);  // truncation toward zero
    const double rest = static_cast<double>(product) - static_cast<double>(whole);
    if (std::fabs(rest) > 0.99) return rest > 0 ? whole + 1 : whole - 1;
    return whole;
}

bool EncodeFrequency(float megahertz, uint8_t* bcd) {
    // Far beyond five digits either way; keeps the conversion to an integer defined.
    if (!std::isfinite(megahertz) || std::fabs(megahertz) > 10000.0f) return false;
    const long n = SnapFrequency(megahertz);
    if (n < 0 || n > 99999) return false;
    long rest = n;
    for (int i = 2; i >= 0; --i) {
        const long pair = rest % 100;
        rest /= 100;
        bcd[i] = static_cast<uint8_t>(((pair / 10) << 4) | (pair % 10));
    }
    return true;
}

}  // namespace lumetra
