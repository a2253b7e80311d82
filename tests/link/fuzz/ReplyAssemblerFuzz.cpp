// The reply assembler's unit test, run on every test pass: feeds arbitrary byte streams to it and
// checks, byte by byte, that replies complete exactly seven bytes after an accepted start byte,
// carry the bytes that were fed, and are judged valid exactly when their checksum matches.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "link/ReplyAssembler.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    lumetra::CReplyAssembler assembler;
    size_t replyStart = 0;
    bool inReply = false;
    for (size_t i = 0; i < size; ++i) {
        const auto result = assembler.Push(data[i]);
        if (!inReply && data[i] == 0x81) {
            inReply = true;
            replyStart = i;
        }
        const bool completes = inReply && i == replyStart + 6;
        if (completes != (result != lumetra::CReplyAssembler::Result::kPending)) std::abort();
        if (completes) {
            inReply = false;
            const auto& reply = assembler.LastReply();
            uint8_t sum = 0;
            for (size_t k = 0; k < 7; ++k) {
                if (reply[k] != data[replyStart + k]) std::abort();
                if (k >= 1 && k <= 5) sum ^= reply[k];
            }
            const bool valid = sum == reply[6];
            if (valid != (result == lumetra::CReplyAssembler::Result::kValid)) std::abort();
        }
        if (assembler.InReply() != inReply) std::abort();
    }
    return 0;
}
