// Reads the command strings of the media-control interface: a verb, the alias, and what follows.
//   play A [from N] | stop A | pause A | resume A | close A | seek A to start
//   set A time format frames|milliseconds | status A length|position|frame rate|mode
// Keywords are matched without regard to case; the alias exactly.
#pragma once

#include <cstdint>
#include <string>

#include "audio/MediaControl.h"

namespace lumetra {

enum class MediaVerb { kPlay, kStop, kPause, kResume, kClose, kSeekToStart, kSetTimeFormat, kStatus };
enum class MediaStatusItem { kLength, kPosition, kFrameRate, kMode };

struct MediaCommand {
    MediaVerb verb = MediaVerb::kPlay;
    std::string alias;
    bool hasFrom = false;                             // play: a start position was given
    int64_t from = 0;                                 // play: the start position in the current time format
    bool frames = false;                              // set time format: frames rather than milliseconds
    MediaStatusItem item = MediaStatusItem::kLength;  // status: what is asked
};

// Fills `command` from `text`; the error is kMediaUnknownCommand or kMediaBadParameter with a
// text naming what was wrong.
MediaResult ParseMediaCommand(const std::string& text, MediaCommand& command);

}  // namespace lumetra
