#include "tools/txsim/FrameDecoder.h"

#include <cstdio>

#include "link/Frames.h"

namespace lumetra::txsim {
namespace {

constexpr size_t kLengthOffset = 3;

std::string Check(const std::vector<uint8_t>& frame) {
    char text[96];
    if (frame[1] != 0x40 || frame[2] != 0x01) {
        std::snprintf(text, sizeof text, "bytes 1 and 2 are %02X %02X, not 40 01", frame[1], frame[2]);
        return text;
    }
    const uint8_t code = frame[4];
    if (!LengthFits(code, frame.size())) {
        std::snprintf(text, sizeof text, "command %02X cannot be %zu bytes long", code, frame.size());
        return text;
    }
    const uint8_t sum = FrameChecksum(frame.data(), frame.size());
    if (sum != frame.back()) {
        std::snprintf(text, sizeof text, "checksum %02X, should be %02X", frame.back(), sum);
        return text;
    }
    return {};
}

}  // namespace

bool LengthFits(uint8_t code, size_t length) {
    switch (code) {
        case kCodeHeartbeat:
        case kCodePower:
            return length == kShortFrameSize;
        case kCodeChannels:
        case kCodeVolume:
            return length == kAudioFrameSize;
        case kCodeFrequency:
            return length == kFrequencyFrameSize;
        case kCodeLed:
            return length >= 7 && length <= kLedBufferSize;
        default:
            return false;
    }
}

std::string Hex(const uint8_t* data, size_t size) {
    std::string text;
    char byte[4];
    for (size_t i = 0; i < size; ++i) {
        std::snprintf(byte, sizeof byte, i ? " %02X" : "%02X", data[i]);
        text += byte;
    }
    return text;
}

std::vector<DecodedFrame> CFrameDecoder::Push(const uint8_t* data, size_t size) {
    std::vector<DecodedFrame> frames;
    for (size_t i = 0; i < size; ++i) {
        const uint8_t byte = data[i];
        if (m_partial.empty()) {
            if (byte == kFrameStart)
                m_partial.push_back(byte);
            else
                ++m_skipped;
            continue;
        }
        m_partial.push_back(byte);
        if (m_partial.size() <= kLengthOffset) continue;
        const size_t length = m_partial[kLengthOffset];
        if (length < 6) {
            frames.push_back(
                {std::move(m_partial), "length byte " + std::to_string(length) + " is too small"});
            m_partial.clear();
            continue;
        }
        if (m_partial.size() < length) continue;
        DecodedFrame frame{std::move(m_partial), {}};
        m_partial.clear();
        frame.problem = Check(frame.bytes);
        frames.push_back(std::move(frame));
    }
    return frames;
}

DecodedFrame CFrameDecoder::TakePartial() {
    DecodedFrame frame{std::move(m_partial), {}};
    m_partial.clear();
    frame.problem = "incomplete: " + std::to_string(frame.bytes.size()) + " bytes, then nothing";
    return frame;
}

}  // namespace lumetra::txsim
