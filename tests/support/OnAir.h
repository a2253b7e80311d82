// What the transmitter has on after the frames a recording link kept, decoded as the simulator
// decodes the wire.
#pragma once

#include <string>
#include <vector>

#include "link/LinkCommand.h"
#include "tools/txsim/FrameDecoder.h"
#include "tools/txsim/TransmitterState.h"

namespace lumetra::test {

// "on 2 3 | outlets 0100"; and, into `said`, what each frame did as it tells ("SendPower: outlets on: 2").
inline std::string OnAir(const std::vector<LinkCommand>& frames, std::vector<std::string>* said = nullptr) {
    txsim::CTransmitterState transmitter;
    txsim::CFrameDecoder decoder;
    for (const LinkCommand& frame : frames)
        for (const txsim::DecodedFrame& decoded : decoder.Push(frame.data.data(), frame.data.size())) {
            const txsim::FrameSummary summary = transmitter.Apply(decoded);
            if (said) said->push_back(summary.command + ": " + summary.text);
        }
    std::string text = "on";
    for (int channel = 1; channel <= 128; ++channel)
        if (transmitter.ReceiverOn(channel)) text += " " + std::to_string(channel);
    text += " | outlets ";
    for (int outlet = 1; outlet <= 4; ++outlet) text += transmitter.OutletOn(outlet) ? '1' : '0';
    return text;
}

}  // namespace lumetra::test
