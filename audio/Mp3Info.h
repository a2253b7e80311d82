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

    bool IsValid() const { return m_bValid; }
    const std::string& Path() const { return m_strPath; }
    bool HasLyrics() const { return m_bHasLyrics; }
    bool HasV1Tag() const { return m_bHasV1Tag; }
    bool HasV2Tag() const { return m_bHasV2Tag; }
    int32_t FileSize() const { return m_nFileSize; }
    int32_t BitRate() const { return m_nBitRate; }
    int32_t VbrBitRate() const { return m_nVbrBitRate; }
    int32_t EffectiveBitRate() const { return m_nEffectiveBitRate; }
    int32_t SampleRate() const { return m_nSampleRate; }
    int32_t PlayingTime() const { return m_nPlayingTime; }
    const Text& BitRateText() const { return m_strBitRate; }
    const Text& LayerText() const { return m_strLayer; }
    const Text& VersionText() const { return m_strVersion; }
    const Text& ChannelModeText() const { return m_strChannelMode; }
    const Text& Title() const { return m_strTitle; }
    const Text& Artist() const { return m_strArtist; }
    const Text& Album() const { return m_strAlbum; }
    const Text& Comment() const { return m_strComment; }
    const Text& Year() const { return m_strYear; }
    const Text& Track() const { return m_strTrack; }
    const Text& Genre() const { return m_strGenre; }
    const Text& Composer() const { return m_strComposer; }
    const Text& RightsNotice() const { return m_strRightsNotice; }
    const Text& EncodedBy() const { return m_strEncodedBy; }
    const Text& FirstReleasePerformer() const { return m_strFirstReleasePerformer; }
    const Text& UserUrl() const { return m_strUserUrl; }
    int32_t YearNumber() const { return m_nYear; }
    int32_t TrackNumber() const { return m_nTrack; }

private:
    void ReadHeader(const MpegStream& stream);
    // `v1Year` is the ID3v1 year as stored, which TagLib hands over only as a number.
    void ReadTexts(TagLib::MPEG::File& file, Text v1Year);
    void ResetFields();

    std::string m_strPath;
    bool m_bHasLyrics = false;
    bool m_bHasV1Tag = false;
    bool m_bHasV2Tag = false;
    int32_t m_nFileSize = -1;
    int32_t m_nBitRate = 0;           // bits per second from the frame header
    int32_t m_nVbrBitRate = 0;        // average of a file whose frames' bit rates vary, else 0
    int32_t m_nEffectiveBitRate = 0;  // the VBR average when there is one, else the bit rate
    int32_t m_nSampleRate = 0;
    int32_t m_nPlayingTime = 0;  // whole seconds
    Text m_strBitRate, m_strLayer, m_strVersion, m_strChannelMode;
    Text m_strTitle, m_strArtist, m_strAlbum, m_strComment, m_strYear, m_strTrack, m_strGenre;
    Text m_strComposer, m_strRightsNotice, m_strEncodedBy, m_strFirstReleasePerformer, m_strUserUrl;
    int32_t m_nYear = 0;
    int32_t m_nTrack = 0;
    bool m_bValid = false;
};

}  // namespace lumetra
