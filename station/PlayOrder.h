// What "next" and "previous" mean in each play mode.
#pragma once

#include <optional>
#include <random>

#include "store/PlayMode.h"

namespace lumetra {

// The entry to play after `current` in a list of `count` entries, or none: past the last entry in
// sequence mode, and in every mode when the list is empty. Random draws come from `random`,
// which the caller seeds once.
std::optional<int> NextEntry(PlayMode mode, int current, int count, std::mt19937& random);
// The entry to play before `current`; none only when the list is empty.
std::optional<int> PreviousEntry(PlayMode mode, int current, int count, std::mt19937& random);

}  // namespace lumetra
