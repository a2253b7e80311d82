// The four play modes. The database keeps them by number (the "PlayCircle" item of Dict and
// lumetra_task_mode); the table classes turn the numbers into PlayMode and back.
#pragma once

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
inline PlayMode PlayModeFromNumber(int number) {
    return number >= 1 && number <= 4 ? static_cast<PlayMode>(number) : PlayMode::kRepeatOne;
}

inline int PlayModeNumber(PlayMode mode) {
    return static_cast<int>(mode);
}

}  // namespace lumetra
