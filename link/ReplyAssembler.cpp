#include "link/ReplyAssembler.h"

#include <cstddef>

namespace lumetra {

CReplyAssembler::Result CReplyAssembler::Push(uint8_t byte) {
    if (m_index == -1) {
        if (byte != 0x81) return Result::kPending;
        m_index = 0;
        m_buffer[0] = byte;
        return Result::kPending;
    }
    m_buffer[static_cast<std::size_t>(++m_index)] = byte;
    if (m_index < 6) return Result::kPending;

    uint8_t sum = 0;
    for (std::size_t i = 1; i <= 5; ++i) sum ^= m_buffer[i];
    const bool valid = sum == m_buffer[6];
    m_last = m_buffer;
    m_buffer.fill(0);
    m_index = -1;
    return valid ? Result::kValid : Result::kCorrupt;
}

}  // namespace lumetra
