// One ready-made frame waiting in the link's queue, with the name it carries in the log.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace lumetra {

struct LinkCommand {
    std::vector<uint8_t> data;  // the whole frame, start byte to checksum
    std::string name;           // "SendSCOM", "SendPower", ... as the log shows it
};

}  // namespace lumetra
