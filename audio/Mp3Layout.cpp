#include "audio/Mp3Layout.h"

#include <algorithm>
#include <string_view>

namespace lumetra {
namespace {

constexpr int64_t kId3v2HeaderSize = 10;
constexpr int64_t kId3v1Size = 128;
constexpr int64_t kApeFooterSize = 32;
constexpr int64_t kLyrics1MaxSize = 5100;  // of the lyrics between the two markers
const std::string kLyricsBegin = "LYRICSBEGIN";
const int64_t kLyricsBeginSize = static_cast<int64_t>(kLyricsBegin.size());

// The end of the ID3v2 tag starting at `at`, or `at` when there is none. A tag that claims more
// bytes than the file holds ends, for our purpose, after its header: the audio is searched there.
int64_t Id3v2TagEnd(CFileWindow& file, int64_t at) {
    const uint8_t* h = file.At(at, kId3v2HeaderSize);
    if (!h || h[0] != 'I' || h[1] != 'D' || h[2] != '3' || h[3] == 0xFF || h[4] == 0xFF) return at;
    int64_t size = 0;
    for (int i = 6; i < 10; ++i) {
        if (h[i] & 0x80) return at;
        size = size << 7 | h[i];
    }
    const bool footer = h[5] & 0x10;
    const int64_t end = at + kId3v2HeaderSize + size + (footer ? kId3v2HeaderSize : 0);
    return end <= file.Size() ? end : at + kId3v2HeaderSize;
}

// The start of a Lyrics3 block ending at `end`, or -1 when there is none.
int64_t LyricsStart(CFileWindow& file, int64_t end) {
    if (file.Holds(end - 9, "LYRICS200")) {
        const uint8_t* digits = file.At(end - 15, 6);
        if (!digits) return -1;
        int64_t size = 0;
        for (int i = 0; i < 6; ++i) {
            if (digits[i] < '0' || digits[i] > '9') return -1;
            size = size * 10 + (digits[i] - '0');
        }
        const int64_t start = end - 15 - size;
        return file.Holds(start, kLyricsBegin) ? start : -1;
    }
    if (file.Holds(end - 9, "LYRICSEND")) {
        const int64_t from = std::max<int64_t>(0, end - 9 - kLyrics1MaxSize - kLyricsBeginSize);
        const uint8_t* bytes = file.At(from, static_cast<size_t>(end - 9 - from));
        if (!bytes) return -1;
        const std::string_view area(reinterpret_cast<const char*>(bytes),
                                    static_cast<size_t>(end - 9 - from));
        const size_t found = area.rfind(kLyricsBegin);
        return found == std::string_view::npos ? -1 : from + static_cast<int64_t>(found);
    }
    return -1;
}

// The start of an APE tag ending at `end`, or -1 when there is none.
int64_t ApeStart(CFileWindow& file, int64_t end) {
    if (!file.Holds(end - kApeFooterSize, "APETAGEX")) return -1;
    const uint8_t* f = file.At(end - kApeFooterSize, kApeFooterSize);
    const auto le32 = [f](int at) {
        return uint32_t(f[at]) | uint32_t(f[at + 1]) << 8 | uint32_t(f[at + 2]) << 16 |
               uint32_t(f[at + 3]) << 24;
    };
    const bool header = le32(20) & 0x80000000u;  // the size leaves a header out
    return end - static_cast<int64_t>(le32(12)) - (header ? kApeFooterSize : 0);
}

}  // namespace

Mp3Layout FindMp3Layout(CFileWindow& file) {
    Mp3Layout layout;
    // Some taggers stack a new tag in front of an old one.
    for (int64_t end; (end = Id3v2TagEnd(file, layout.audioBegin)) != layout.audioBegin;)
        layout.audioBegin = end;

    layout.audioEnd = file.Size();
    if (file.Holds(layout.audioEnd - kId3v1Size, "TAG")) layout.audioEnd -= kId3v1Size;
    if (const int64_t start = LyricsStart(file, layout.audioEnd); start >= layout.audioBegin) {
        layout.hasLyrics = true;
        layout.audioEnd = start;
    }
    if (const int64_t start = ApeStart(file, layout.audioEnd); start >= layout.audioBegin)
        layout.audioEnd = start;
    layout.audioEnd = std::max(layout.audioEnd, layout.audioBegin);
    return layout;
}

}  // namespace lumetra
