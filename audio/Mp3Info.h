// What an MP3 file says about itself: the MPEG header facts with the exact playing time (our own
// frame walk, MpegFrames.h) and the texts of its ID3v2, APE and ID3v1 tags (TagLib), every text in
// UTF-8. The task editor uses the playing time. Nothing of the file is kept open.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace TagLib::MPEG {
class File;
}

namespace lumetra {

struct MpegStream;

class CMp3Info {
public:
    CMp3Info();
    ~CMp3Info();
    CMp3Info(const CMp3Info&) = delete;
    CMp3Info& operator=(const CMp3Info&) = delete;

    // Reads `path`; true when the file has an MPEG audio header. Otherwise everything is cleared.
    bool Open(const std::string& path);
    // Releases everything and marks the object invalid.
    void Clear();

    using Text = std::optional<std::string>;  // absent when the tag has no such frame

    bool IsValid() const { return m_valid; }
    const std::string& Path() const { return m_path; }
    bool HasLyrics() const { return m_hasLyrics; }
    bool HasV1Tag() const { return m_hasV1Tag; }
    bool HasV2Tag() const { return m_hasV2Tag; }
    int32_t FileSize() const { return m_fileSize; }
    int32_t BitRate() const { return m_bitRate; }
    int32_t VbrBitRate() const { return m_vbrBitRate; }
    int32_t EffectiveBitRate() const { return m_effectiveBitRate; }
    int32_t SampleRate() const { return m_sampleRate; }
    int32_t PlayingTime() const { return m_playingTime; }
    const Text& BitRateText() const { return m_bitRateText; }
    const Text& LayerText() const { return m_layerText; }
    const Text& VersionText() const { return m_versionText; }
    const Text& ChannelModeText() const { return m_channelModeText; }
    const Text& Title() const { return m_title; }
    const Text& Artist() const { return m_artist; }
    const Text& Album() const { return m_album; }
    const Text& Comment() const { return m_comment; }
    const Text& Year() const { return m_year; }
    const Text& Track() const { return m_track; }
    const Text& Genre() const { return m_genre; }
    const Text& Composer() const { return m_composer; }
    const Text& RightsNotice() const { return m_rightsNotice; }
    const Text& EncodedBy() const { return m_encodedBy; }
    const Text& FirstReleasePerformer() const { return m_firstReleasePerformer; }
    const Text& UserUrl() const { return m_userUrl; }
    int32_t YearNumber() const { return m_yearNumber; }
    int32_t TrackNumber() const { return m_trackNumber; }

private:
    void ReadHeader(const MpegStream& stream);
    // `v1Year` is the ID3v1 year as stored, which TagLib hands over only as a number.
    void ReadTexts(TagLib::MPEG::File& file, Text v1Year);
    void ResetFields();

    std::string m_path;
    bool m_hasLyrics = false;
    bool m_hasV1Tag = false;
    bool m_hasV2Tag = false;
    int32_t m_fileSize = -1;
    int32_t m_bitRate = 0;           // bits per second from the frame header
    int32_t m_vbrBitRate = 0;        // average of a file whose frames' bit rates vary, else 0
    int32_t m_effectiveBitRate = 0;  // the VBR average when there is one, else the bit rate
    int32_t m_sampleRate = 0;
    int32_t m_playingTime = 0;  // whole seconds
    Text m_bitRateText, m_layerText, m_versionText, m_channelModeText;
    Text m_title, m_artist, m_album, m_comment, m_year, m_track, m_genre;
    Text m_composer, m_rightsNotice, m_encodedBy, m_firstReleasePerformer, m_userUrl;
    int32_t m_yearNumber = 0;
    int32_t m_trackNumber = 0;
    bool m_valid = false;
};

}  // namespace lumetra
