// Where the audio of an MP3 file sits: behind the ID3v2 tags at its start, in front of the blocks
// at its end (an APE tag, a Lyrics3 block, an ID3v1 tag, in that order).
#pragma once

#include <cstdint>

#include "audio/FileWindow.h"

namespace lumetra {

struct Mp3Layout {
    int64_t audioBegin = 0;  // first byte after the ID3v2 tags
    int64_t audioEnd = 0;    // first byte of the blocks at the end, or the file size
    bool hasLyrics = false;  // a Lyrics3 block (version 1 or 2.00)
};

Mp3Layout FindMp3Layout(CFileWindow& file);

}  // namespace lumetra
