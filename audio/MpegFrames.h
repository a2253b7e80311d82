// The MPEG audio frames of a file: the first frame's header facts and the exact playing time. The
// time comes from the VBR header (Xing, Info or VBRI) when there is one, from the number of frames
// when their bit rates vary, and from the audio's size over its bit rate when they do not. A file
// cut short counts only the frames it really holds.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "audio/FileWindow.h"
#include "audio/Mp3Layout.h"

namespace lumetra {

struct MpegFrameHeader {
    int version = 0;      // the header's bits: 0 MPEG 2.5, 2 MPEG 2, 3 MPEG 1
    int layer = 0;        // the header's bits: 1 Layer III, 2 Layer II, 3 Layer I
    int channelMode = 0;  // 0 stereo, 1 joint stereo, 2 dual channel, 3 single channel
    int32_t bitRate = 0;  // bits per second
    int32_t sampleRate = 0;
    int samplesPerFrame = 0;
    int length = 0;  // bytes, padding included
};

// The frame header in the four `bytes`; nullopt when they are not one (free-format bit rates
// included: their frames have no length of their own).
std::optional<MpegFrameHeader> ParseFrameHeader(const uint8_t* bytes);

struct MpegStream {
    MpegFrameHeader first;       // the first frame: the VBR header's own when there is one
    int64_t firstOffset = 0;     // where it starts
    int64_t frames = 0;          // frames of audio the file holds, a VBR header's frame not counted
    bool variable = false;       // their bit rates differ
    int32_t averageBitRate = 0;  // bits per second over those frames
    int64_t lengthMs = 0;        // the playing time
};

// The audio between `layout`'s bounds; nullopt when it holds no run of MPEG audio frames.
std::optional<MpegStream> ScanMpegStream(CFileWindow& file, const Mp3Layout& layout);

// The playing time of an MP3 file in milliseconds; nullopt for a file without MPEG audio.
std::optional<int64_t> Mp3LengthMs(const std::string& path);

}  // namespace lumetra
