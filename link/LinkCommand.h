// One ready-made frame waiting in the link's queue, with the name it carries in the log.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace lumetra {

struct LinkCommand {
    std::vector<uint8_t> data;  // the whole frame, start byte to checksum
    std::string name;           // "SendSCOM", "SendPower", ... as the log shows it
    // How much longer than the usual spacing the writer waits before the next frame: the
    // receivers take a while to retune after a frequency frame.
    std::chrono::milliseconds pauseAfter{0};
};

}  // namespace lumetra
