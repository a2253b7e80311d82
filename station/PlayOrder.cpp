#include "station/PlayOrder.h"

#include <algorithm>

namespace lumetra {

namespace {

// One entry on in `direction` (+1 or -1) as the mode has it.
std::optional<int> Step(PlayMode mode, int current, int direction, int count, std::mt19937& random) {
    if (count <= 0) return std::nullopt;
    // Entries may have been deleted since `current` started.
    current = std::clamp(current, 0, count - 1);
    switch (mode) {
        case PlayMode::kRepeatOne:
            return current;
        case PlayMode::kSequence:
            if (current + direction >= count) return std::nullopt;  // past the last: playback stops
            return std::max(current + direction, 0);                // before the first: the first again
        case PlayMode::kRandom:
            return std::uniform_int_distribution<int>(0, count - 1)(random);
        case PlayMode::kLoop:
            return (current + direction + count) % count;
    }
    return std::nullopt;
}

}  // namespace

std::optional<int> NextEntry(PlayMode mode, int current, int count, std::mt19937& random) {
    return Step(mode, current, +1, count, random);
}

std::optional<int> PreviousEntry(PlayMode mode, int current, int count, std::mt19937& random) {
    return Step(mode, current, -1, count, random);
}

}  // namespace lumetra
