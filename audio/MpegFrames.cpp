#include "audio/MpegFrames.h"

#include <taglib/tbytevector.h>
#include <taglib/xingheader.h>

#include <algorithm>
#include <cstring>

namespace lumetra {
namespace {

// Kilobits per second by bit-rate index 1 to 14: MPEG 1 layers I, II, III, then MPEG 2 and 2.5
// layer I, then their layers II and III.
constexpr int kKbps[5][14] = {{32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},
                              {32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},
                              {32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320},
                              {32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},
                              {8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160}};
constexpr int32_t kMpeg1Rates[3] = {44100, 48000, 32000};

// A run of this many frames, each starting where the one before ends, marks the start of the audio
// (or a shorter run that ends exactly where the audio ends): a single sync pattern in tag bytes or
// sound data is too likely to be chance.
constexpr int kRunToTrust = 3;

bool SameStream(const MpegFrameHeader& a, const MpegFrameHeader& b) {
    return a.version == b.version && a.layer == b.layer && a.sampleRate == b.sampleRate;
}

// The whole frame at `at` when it lies before `end` (and, with `like`, belongs to its stream).
std::optional<MpegFrameHeader> FrameAt(CFileWindow& file, int64_t at, int64_t end,
                                       const MpegFrameHeader* like) {
    if (at + 4 > end) return std::nullopt;
    const uint8_t* bytes = file.At(at, 4);
    if (!bytes) return std::nullopt;
    std::optional<MpegFrameHeader> header = ParseFrameHeader(bytes);
    if (!header || at + header->length > end || (like && !SameStream(*header, *like))) return std::nullopt;
    return header;
}

bool StartsRun(CFileWindow& file, int64_t at, int64_t end, const MpegFrameHeader* like) {
    std::optional<MpegFrameHeader> frame = FrameAt(file, at, end, like);
    for (int n = 1; frame && n < kRunToTrust; ++n) {
        at += frame->length;
        if (at == end) return true;
        const MpegFrameHeader previous = *frame;
        frame = FrameAt(file, at, end, &previous);
    }
    return frame.has_value();
}

// The first offset from `from` on where a run of frames starts; -1 when there is none.
int64_t FindRun(CFileWindow& file, int64_t from, int64_t end, const MpegFrameHeader* like) {
    for (int64_t at = from; at + 4 <= end;) {
        size_t available = 0;
        const uint8_t* bytes = file.From(at, available);
        if (!bytes) return -1;
        available = static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(available), end - at));
        const auto* sync = static_cast<const uint8_t*>(std::memchr(bytes, 0xFF, available));
        if (!sync) {
            at += static_cast<int64_t>(available);
            continue;
        }
        at += sync - bytes;
        if (StartsRun(file, at, end, like)) return at;
        ++at;
    }
    return -1;
}

}  // namespace

std::optional<MpegFrameHeader> ParseFrameHeader(const uint8_t* b) {
    if (b[0] != 0xFF || (b[1] & 0xE0) != 0xE0) return std::nullopt;
    MpegFrameHeader h;
    h.version = (b[1] >> 3) & 3;
    h.layer = (b[1] >> 1) & 3;
    const int bitRateIndex = b[2] >> 4;
    const int rateIndex = (b[2] >> 2) & 3;
    if (h.version == 1 || h.layer == 0 || bitRateIndex == 0 || bitRateIndex == 15 || rateIndex == 3)
        return std::nullopt;
    const bool mpeg1 = h.version == 3;
    const int table = mpeg1 ? 3 - h.layer : (h.layer == 3 ? 3 : 4);
    h.bitRate = kKbps[table][bitRateIndex - 1] * 1000;
    h.sampleRate = kMpeg1Rates[rateIndex] / (mpeg1 ? 1 : h.version == 2 ? 2 : 4);
    h.channelMode = b[3] >> 6;
    const int padding = (b[2] >> 1) & 1;
    if (h.layer == 3) {  // layer I: slots of four bytes
        h.samplesPerFrame = 384;
        h.length = (12 * h.bitRate / h.sampleRate + padding) * 4;
    } else {
        // Layer III of MPEG 2 and 2.5 holds half the samples of MPEG 1's.
        h.samplesPerFrame = h.layer == 1 && !mpeg1 ? 576 : 1152;
        h.length = h.samplesPerFrame / 8 * h.bitRate / h.sampleRate + padding;
    }
    return h;
}

std::optional<MpegStream> ScanMpegStream(CFileWindow& file, const Mp3Layout& layout) {
    const int64_t end = layout.audioEnd;
    MpegStream stream;
    stream.firstOffset = FindRun(file, layout.audioBegin, end, nullptr);
    if (stream.firstOffset < 0) return std::nullopt;
    stream.first = *FrameAt(file, stream.firstOffset, end, nullptr);
    const MpegFrameHeader& first = stream.first;

    const uint8_t* frame = file.At(stream.firstOffset, static_cast<size_t>(first.length));
    const TagLib::MPEG::XingHeader vbrHeader(
        TagLib::ByteVector(reinterpret_cast<const char*>(frame), frame ? first.length : 0));
    const bool hasVbrHeader = frame && vbrHeader.isValid() && vbrHeader.totalFrames() > 0;

    // Walk the frames; over damaged bytes, go on at the next run of frames of the same stream.
    int64_t at = stream.firstOffset + (hasVbrHeader ? first.length : 0);
    int64_t bytes = 0;
    int32_t firstBitRate = 0;
    while (at + 4 <= end) {
        const std::optional<MpegFrameHeader> header = FrameAt(file, at, end, &first);
        if (!header) {
            at = FindRun(file, at + 1, end, &first);
            if (at < 0) break;
            continue;
        }
        if (stream.frames++ == 0) firstBitRate = header->bitRate;
        stream.variable = stream.variable || header->bitRate != firstBitRate;
        bytes += header->length;
        at += header->length;
    }

    const int64_t samples = first.samplesPerFrame;
    const auto msOf = [&](int64_t frames) { return frames * samples * 1000 / first.sampleRate; };
    if (stream.variable) {
        stream.averageBitRate =
            static_cast<int32_t>(bytes * 8 * first.sampleRate / (stream.frames * samples));
    } else {
        stream.averageBitRate = stream.frames ? firstBitRate : first.bitRate;
    }
    if (hasVbrHeader) {
        // A file cut short holds fewer frames than its header announces.
        stream.lengthMs = msOf(std::min<int64_t>(vbrHeader.totalFrames(), stream.frames));
    } else if (stream.variable) {
        stream.lengthMs = msOf(stream.frames);
    } else {
        stream.lengthMs = (end - stream.firstOffset) * 8 * 1000 / stream.averageBitRate;
    }
    return stream;
}

std::optional<int64_t> Mp3LengthMs(const std::string& path) {
    CFileWindow file(path);
    if (!file.IsOpen()) return std::nullopt;
    const std::optional<MpegStream> stream = ScanMpegStream(file, FindMp3Layout(file));
    if (!stream) return std::nullopt;
    return stream->lengthMs;
}

}  // namespace lumetra
