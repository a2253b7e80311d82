// A link whose queue is a list: it records every frame the real builders produce, in order,
// without a port or threads. Any test that drives the link (the scheduler's too) can use it.
#pragma once

#include <cstdint>
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

// "81 40 01 07 AA 00 EC" -> bytes; lets tests write frames as they appear on the line.
inline std::vector<uint8_t> HexBytes(const std::string& hex) {
    std::istringstream in(hex);
    std::vector<uint8_t> bytes;
    for (unsigned byte; in >> std::hex >> byte;) bytes.push_back(static_cast<uint8_t>(byte));
    return bytes;
}

}  // namespace lumetra::test
