// The binary frames the transmitter understands. Every frame sent has the form
//   81 40 01 L code payload... CS
// where L is the whole length (start byte and checksum included) and CS is the XOR of every byte
// between the start byte and the checksum. Frames 0xA4, 0xA5 and 0xA6 carry a 64-byte channel map
// at offsets 5..68: bit k, counted from bit 0 of offset 68, stands for channel k+1.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "store/Labels.h"

namespace lumetra {

inline constexpr uint8_t kFrameStart = 0x81;

enum FrameCode : uint8_t {
    kCodeChannels = 0xA4,   // switch receivers on (state 1) or off (state 0)
    kCodeVolume = 0xA5,     // set receiver volume 0..15
    kCodeFrequency = 0xA6,  // set receiver frequencies
    kCodeHeartbeat = 0xAA,
    kCodePower = 0xAC,  // peripheral power outlets
    kCodeLed = 0xAD,    // text for one LED screen
};

inline constexpr size_t kShortFrameSize = 7;   // heartbeat, power, and every reply
inline constexpr size_t kAudioImageSize = 70;  // a channel frame without its checksum
inline constexpr size_t kAudioFrameSize = 71;
inline constexpr size_t kFrequencyFrameSize = 73;
inline constexpr size_t kMaxLedTextBytes = 128;
inline constexpr int kLedScreenCount = 128;  // screens 1..128, addressed by index 0..127
inline constexpr size_t kLedBufferSize = kMaxLedTextBytes + 7;
inline constexpr size_t kChannelMapOffset = 5;   // first byte of the 64-byte map
inline constexpr size_t kChannelMapLast = 68;    // holds channels 1..8
inline constexpr size_t kAudioStateOffset = 69;  // on/off state or volume
inline constexpr uint8_t kPowerOffMask = 0x80;   // ClosePower's payload

using AudioImage = std::array<uint8_t, kAudioImageSize>;
using FrequencyFrame = std::array<uint8_t, kFrequencyFrameSize>;
using ShortFrame = std::array<uint8_t, kShortFrameSize>;

// XOR of frame[1] .. frame[size-2].
uint8_t FrameChecksum(const uint8_t* frame, size_t size);
// The first five bytes of every frame: 81 40 01, the length `size` (low 8 bits), `code`.
void WriteHeader(uint8_t* frame, size_t size, uint8_t code);
// Writes the checksum into the last byte.
void SealFrame(uint8_t* frame, size_t size);
// A sealed 7-byte frame: header, `code`, one payload byte, checksum. Heartbeats, power frames and
// the transmitter's replies all have this shape.
ShortFrame MakeShortFrame(uint8_t code, uint8_t payload);

// Writes the map of channels 1..128 into offsets 53..68 of a frame; offsets 5..52 are left alone.
void WriteChannelMap(uint8_t* frame, const ChannelFlags& flags);

// 81 40 01 47 A4, the map of `flags`, `state` (1 on, 0 off).
AudioImage ChannelImage(const ChannelFlags& flags, uint8_t state);
// 81 40 01 47 A4, 0xFF in all 64 map bytes, `state`.
AudioImage AllChannelsImage(uint8_t state);
// 81 40 01 47 A5, the map of `flags`, `volume`.
AudioImage VolumeImage(const ChannelFlags& flags, uint8_t volume);

// Bit i-1 set for every outlet i (1..4) that is on.
uint8_t PowerMask(const std::array<bool, 4>& outlets);
// 81 40 01 07 AC mask CS
ShortFrame PowerFrame(uint8_t mask);

// N = MHz x 100 from the single-precision product, with the snap rule: a remainder beyond 0.99
// moves N to the next integer away from the truncation (88.1 -> 8810, not 8809). The remainder is
// compared in double precision: 0.0099 MHz leaves 0.99000001, which is beyond 0.99 but equal to
// the float nearest 0.99, and must snap to 1.
long SnapFrequency(float megahertz);
// Three bytes of packed BCD of N, most significant pair first: 98.5 -> 00 98 50. Refuses (false,
// nothing written) an N below zero or of more than five digits.
bool EncodeFrequency(float megahertz, uint8_t* bcd);

}  // namespace lumetra
