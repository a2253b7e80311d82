// The switch board's rules, request by request, against what its frames switch at a transmitter:
// after every request the wire and what the board tells the pages must agree.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "schedule/SwitchBoard.h"
#include "tests/support/OnAir.h"
#include "tests/support/RecordingLink.h"

namespace lumetra {
namespace {

using namespace test;

OutletSet Outlets(const std::string& digits) {
    OutletSet outlets{};
    for (size_t i = 0; i < outlets.size(); ++i) outlets[i] = digits.at(i) == '1';
    return outlets;
}

// The receivers listed after the words read so far ("all" for every one).
ChannelFlags Receivers(std::istringstream& in) {
    ChannelFlags flags{};
    for (std::string word; in >> word && word != "|";) {
        if (word == "all") flags.fill(1);
        if (word != "all") flags.at(static_cast<size_t>(std::stoi(word) - 1)) = 1;
    }
    return flags;
}

SwitchSource Source(const std::string& word) {
    if (word == "task") return SwitchSource::kTask;
    if (word == "announcement") return SwitchSource::kAnnouncement;
    if (word == "exit") return SwitchSource::kExit;
    return SwitchSource::kOperator;
}

// One request as "task on 1 2", "operator off all", "up 1x0x keep 0100", "down keep 0010",
// "toggle 3", "change on 0011 off 1000", "hold", "end", "restore 2 4 | 0100", "quit" (the exit's
// outlet power-down).
void Ask(CSwitchBoard& board, const std::string& request) {
    std::istringstream in(request);
    std::string verb, word, digits;
    in >> verb;
    if (verb == "up") {
        in >> digits >> word >> word;
        board.PowerUp(OutletSwitchesOf(digits), Outlets(word));
    } else if (verb == "down") {
        in >> word >> digits;
        board.PowerDown(Outlets(digits));
    } else if (verb == "toggle") {
        in >> word;
        board.ToggleOutlet(std::stoi(word));
    } else if (verb == "change") {
        in >> word >> digits >> word >> word;
        board.ChangeOutlets(Outlets(digits), Outlets(word));
    } else if (verb == "quit") {
        board.PowerDownForExit();
    } else if (verb == "hold") {
        board.Hold();
    } else if (verb == "end") {
        board.EndHold();
    } else if (verb == "restore") {
        const ChannelFlags channels = Receivers(in);
        in >> digits;
        board.Restore(channels, Outlets(digits));
    } else {
        in >> word;
        const bool on = word == "on";
        in >> word;
        if (word == "all") {
            board.SwitchAllChannels(on, Source(verb));
        } else {
            std::istringstream rest(word + " " + std::string(std::istreambuf_iterator<char>(in), {}));
            board.SwitchChannels(Receivers(rest), on, Source(verb));
        }
    }
}

// What the board holds, written as OnAir writes the wire.
std::string Shown(const CSwitchBoard& board) {
    std::string text = "on";
    const ChannelFlags channels = board.ChannelsOn();
    for (size_t i = 0; i < channels.size(); ++i)
        if (channels[i]) text += " " + std::to_string(i + 1);
    text += " | outlets ";
    for (int outlet = 1; outlet <= 4; ++outlet) text += board.Outlet(outlet) ? '1' : '0';
    return text;
}

// "on all | ..." and "on 1-4 6 | ..." with every receiver's number, as OnAir writes them.
std::string InFull(std::string text) {
    if (text.starts_with("on all")) text.replace(0, 6, "on 1-128");
    for (size_t dash; (dash = text.find('-')) != std::string::npos;) {
        const size_t from = text.rfind(' ', dash) + 1, to = text.find(' ', dash);
        const int first = std::stoi(text.substr(from)), last = std::stoi(text.substr(dash + 1));
        std::string numbers;
        for (int n = first; n <= last; ++n) numbers += (n > first ? " " : "") + std::to_string(n);
        text.replace(from, to - from, numbers);
    }
    return text;
}

// Each case starts from everything off; each step is a request and what is on after it.
TEST(SwitchBoardTest, OwnersTogglesAndTheEmergencyHoldFollowTheirRules) {
    const char* cases[][2] = {
        {"overlapping owners: another's outlets kept, a task's 0 wins over a hand, the last off closes",
         "up 1x0x keep 0000 => on | outlets 1000; toggle 2 => on | outlets 1100; "
         "up 0010 keep 1000 => on | outlets 1010; task on 1 2 => on 1 2 | outlets 1010; "
         "task on 2 3 => on 1 2 3 | outlets 1010; task off 1 2 => on 3 | outlets 1010; "
         "down keep 0010 => on 3 | outlets 0010; down keep 0000 => on 3 | outlets 0000"},
        {"toggles work on the board's own state, before and after a power-down",
         "toggle 4 => on | outlets 0001; up 1xxx keep 0000 => on | outlets 1001; "
         "toggle 4 => on | outlets 1000; toggle 4 => on | outlets 1001; down keep 0000 => on | outlets 0000; "
         "toggle 4 => on | outlets 0001; toggle 0 => on | outlets 0001; toggle 5 => on | outlets 0001; "
         "change on 0110 off 0001 => on | outlets 0110"},
        {"a hold keeps everything on against tasks and announcements, not against the operator",
         "task on 1 2 => on 1 2 | outlets 0000; hold => on all | outlets 1111; "
         "task off 1 2 => on all | outlets 1111; down keep 0000 => on all | outlets 1111; "
         "up 0000 keep 0000 => on all | outlets 1111; change on 0000 off 1111 => on all | outlets 1111; "
         "announcement off 3 => on all | outlets 1111; restore 2 | 0100 => on all | outlets 1111; "
         "announcement on 3 => on all | outlets 1111; operator off 5 => on 1-4 6-128 | outlets 1111; "
         "toggle 1 => on 1-4 6-128 | outlets 0111; end => on 1-4 6-128 | outlets 0111; "
         "restore 2 4 5 | 0100 => on 2 4 5 | outlets 0100; restore | 0000 => on | outlets 0000; "
         "announcement on 7 => on 7 | outlets 0000; announcement off 7 => on | outlets 0000"},
        {"the exit and the operator switch every receiver",
         "operator on all => on all | outlets 0000; exit off all => on | outlets 0000"},
        {"the exit switches off the outlets that tasks and the emergency switched on, not the operator's",
         "up 1100 keep 0000 => on | outlets 1100; toggle 3 => on | outlets 1110; toggle 2 => on | outlets "
         "1010; "
         "toggle 2 => on | outlets 1110; quit => on | outlets 0110; hold => on all | outlets 1111; "
         "end => on all | outlets 1111; quit => on all | outlets 0110; toggle 2 => on all | outlets 0010; "
         "down keep 0000 => on all | outlets 0000; toggle 1 => on all | outlets 1000; "
         "up 1000 keep 0000 => on all | outlets 1000; quit => on all | outlets 1000"},
    };
    for (const auto& [name, steps] : cases) {
        SCOPED_TRACE(name);
        CRecordingLink link;
        CSwitchBoard board(link);
        std::istringstream in(steps);
        for (std::string step; std::getline(in >> std::ws, step, ';');) {
            const size_t arrow = step.find(" => ");
            Ask(board, step.substr(0, arrow));
            const std::string expected = InFull(step.substr(arrow + 4));
            EXPECT_EQ(OnAir(link.Commands()), expected) << step;
            EXPECT_EQ(Shown(board), expected) << step;
        }
    }
}

}  // namespace
}  // namespace lumetra
