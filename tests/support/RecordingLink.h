// A link whose queue is a list: it records every frame the real builders produce, in order,
// without a port or threads. Any test that drives the link (the scheduler's too) can use it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

#include "link/TransmitterLink.h"

namespace lumetra::test {

class CRecordingLink : public CTransmitterLink {
public:
    using CTransmitterLink::CTransmitterLink;

    bool Enqueue(const LinkCommand& command) override {
        std::lock_guard lock(m_lock);
        m_commands.push_back(command);
        return true;
    }

    std::vector<LinkCommand> Commands() const {
        std::lock_guard lock(m_lock);
        return m_commands;
    }
    void Clear() {
        std::lock_guard lock(m_lock);
        m_commands.clear();
    }

private:
    mutable std::mutex m_lock;  // the scheduler thread records while the test reads
    std::vector<LinkCommand> m_commands;
};

// The map with the listed receivers (1..128) selected.
inline ChannelFlags Channels(const std::vector<int>& numbers) {
    ChannelFlags flags{};
    for (int number : numbers) flags.at(static_cast<size_t>(number - 1)) = 1;
    return flags;
}

// "81 40 01 07 AA 00 EC" -> bytes; lets tests write frames as they appear on the line.
inline std::vector<uint8_t> HexBytes(const std::string& hex) {
    std::istringstream in(hex);
    std::vector<uint8_t> bytes;
    for (unsigned byte; in >> std::hex >> byte;) bytes.push_back(static_cast<uint8_t>(byte));
    return bytes;
}

// A long frame spelled "length code offset=byte first-last=byte ..." (length and offsets decimal,
// bytes hex): the header, the code, those bytes, zeros elsewhere, and the XOR of bytes 1 to length-2
// worked out here, not by the link. A checksum spelled out (a documented worked value) is kept, so a link
// that differs fails.
inline std::vector<uint8_t> SpelledFrame(const std::string& text) {
    std::istringstream in(text);
    unsigned length = 0, code = 0;
    in >> length >> std::hex >> code;
    std::vector<uint8_t> frame = HexBytes("81 40 01");
    frame.resize(length), frame[3] = static_cast<uint8_t>(length), frame[4] = static_cast<uint8_t>(code);
    for (std::string word; in >> word;) {
        unsigned first = 0, last = 0, value = 0;
        if (std::sscanf(word.c_str(), "%u-%u=%x", &first, &last, &value) != 3)
            std::sscanf(word.c_str(), "%u=%x", &first, &value), last = first;
        for (unsigned offset = first; offset <= last; ++offset)
            frame.at(offset) = static_cast<uint8_t>(value);
    }
    uint8_t sum = 0;
    for (size_t i = 1; i + 1 < length; ++i) sum ^= frame[i];
    if (!frame.back()) frame.back() = sum;
    return frame;
}

}  // namespace lumetra::test
