// The four play modes of the instant-play page and what "next" and "previous" mean in each.
#pragma once

#include <optional>
#include <random>

namespace lumetra {

enum class PlayMode {
    kRepeatOne = 1,  // "单曲循环": the same entry again
    kSequence = 2,   // "顺序播放": through the list once
    kRandom = 3,     // "随机播放": any entry
    kLoop = 4,       // "列表循环": through the list, round and round
};

struct PlayModeInfo {
    PlayMode mode;
    const char* text;  // the menu item
};

inline constexpr PlayModeInfo kPlayModes[] = {{PlayMode::kRepeatOne, "单曲循环"},
                                              {PlayMode::kSequence, "顺序播放"},
                                              {PlayMode::kRandom, "随机播放"},
                                              {PlayMode::kLoop, "列表循环"}};

// A stored number outside 1 to 4 falls back to the first mode.
PlayMode PlayModeFromNumber(int number);

// The entry to play after `current` in a list of `count` entries, or none: past the last entry in
// sequence mode, and in every mode when the list is empty. Random draws come from `random`,
// which the caller seeds once.
std::optional<int> NextEntry(PlayMode mode, int current, int count, std::mt19937& random);
// The entry to play before `current`; none only when the list is empty.
std::optional<int> PreviousEntry(PlayMode mode, int current, int count, std::mt19937& random);

}  // namespace lumetra
