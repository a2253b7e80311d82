// Assembles the transmitter's 7-byte replies from single bytes: 0x81, five bytes, and the XOR of
// those five. Bytes before a start byte are skipped; a 0x81 inside a reply is data. Depends on
// nothing else, so it can be fed random streams on its own.
#pragma once

#include <array>
#include <cstdint>

namespace lumetra {

class CReplyAssembler {
public:
    enum class Result {
        kPending,  // no reply completed by this byte
        kValid,    // a reply with the right checksum just completed
        kCorrupt,  // a reply just completed with the wrong checksum
    };

    Result Push(uint8_t byte);
    bool InReply() const { return m_index != -1; }
    // The last completed reply (valid or not); zeros before the first.
    const std::array<uint8_t, 7>& LastReply() const { return m_last; }

private:
    std::array<uint8_t, 7> m_buffer{};
    std::array<uint8_t, 7> m_last{};
    int m_index = -1;  // position of the last stored byte, -1 while waiting for a start byte
};

}  // namespace lumetra
