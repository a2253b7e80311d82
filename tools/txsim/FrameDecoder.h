// Cuts the byte stream from the program into frames: a start byte 0x81, then as many bytes as
// the length byte (offset 3) says. Bytes outside a frame are skipped and counted. Every frame is
// checked: fixed bytes 40 01, a known command of the right length, and the checksum.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace lumetra::txsim {

struct DecodedFrame {
    std::vector<uint8_t> bytes;
    std::string problem;  // empty for a frame that passed every check
    bool Valid() const { return problem.empty(); }
};

class CFrameDecoder {
public:
    // The frames completed by these bytes, in order.
    std::vector<DecodedFrame> Push(const uint8_t* data, size_t size);
    // Gives up a frame that stopped arriving halfway; it comes back marked incomplete.
    bool HasPartial() const { return !m_partial.empty(); }
    DecodedFrame TakePartial();
    size_t SkippedBytes() const { return m_skipped; }

private:
    std::vector<uint8_t> m_partial;
    size_t m_skipped = 0;
};

// Whether a frame of this command may have this length (LED frames vary from 7 to 135 bytes).
bool LengthFits(uint8_t code, size_t length);
// "81 40 01"
std::string Hex(const uint8_t* data, size_t size);

}  // namespace lumetra::txsim
