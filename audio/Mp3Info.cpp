#include "audio/Mp3Info.h"

#include <id3/tag.h>

#include "audio/Id3Genres.h"
#include "audio/Id3v2Check.h"
#include "store/Recordset.h"

namespace lumetra {

namespace {

// A text from a table indexed by a header value; absent for values outside it.
template <size_t N>
CMp3Info::Text Lookup(const char* const (&table)[N], int value) {
    if (value < 0 || value >= static_cast<int>(N) || !table[value]) return std::nullopt;
    return std::string(table[value]);
}

constexpr const char* kLayers[] = {"UNDEFINED", "Layer III", "Layer II", "Layer I"};
constexpr const char* kVersions[] = {"MPEG 2.5", nullptr, "MPEG 2", "MPEG 1"};
constexpr const char* kChannelModes[] = {"Stereo", "Joint Stereo", "Dual Channel", "Single Channel"};

// The text of a frame: its text field, or else its URL field, provided it names an encoding.
CMp3Info::Text FrameText(const ID3_Tag& tag, ID3_FrameID id) {
    const ID3_Frame* frame = tag.Find(id);
    if (!frame || !frame->Contains(ID3FN_TEXTENC)) return std::nullopt;
    const ID3_Field* field = frame->GetField(ID3FN_TEXT);
    if (!field) field = frame->GetField(ID3FN_URL);
    if (!field) return std::nullopt;
    const char* text = field->GetRawText();  // single-byte text; null for wide texts
    if (!text) return std::nullopt;
    return std::string(text);
}

}  // namespace

CMp3Info::CMp3Info() = default;

CMp3Info::~CMp3Info() = default;

void CMp3Info::ResetFields() {
    m_tag.reset();
    m_strPath.clear();
    m_bHasLyrics = m_bHasV1Tag = m_bHasV2Tag = false;
    m_nFileSize = -1;
    m_nBitRate = m_nVbrBitRate = m_nEffectiveBitRate = m_nSampleRate = m_nPlayingTime = 0;
    for (Text* text :
         {&m_strBitRate, &m_strLayer, &m_strVersion, &m_strChannelMode, &m_strTitle, &m_strArtist,
          &m_strAlbum, &m_strComment, &m_strYear, &m_strTrack, &m_strGenre, &m_strComposer,
          &m_strRightsNotice, &m_strEncodedBy, &m_strFirstReleasePerformer, &m_strUserUrl}) {
        text->reset();
    }
    m_nYear = m_nTrack = 0;
    m_bValid = false;
}

void CMp3Info::Clear() {
    if (m_bValid) ResetFields();
}

bool CMp3Info::Open(const std::string& path) {
    Clear();
    m_bValid = true;
    m_strPath = path;

    // Tags that fail the check stay unread; the header and an ID3v1 tag are still read.
    flags_t tagTypes = ID3TT_ALL;
    if (!CheckId3v2File(path).safe) tagTypes &= ~ID3TT_ID3V2;
    m_tag = std::make_unique<ID3_Tag>();
    m_tag->Link(path.c_str(), tagTypes);
    m_bHasLyrics = m_tag->HasLyrics();
    m_bHasV1Tag = m_tag->HasV1Tag();
    m_bHasV2Tag = m_tag->HasV2Tag();
    m_nFileSize = static_cast<int32_t>(m_tag->GetFileSize());

    if (!m_tag->GetMp3HeaderInfo()) {
        ResetFields();
        return false;
    }
    ReadHeader();
    ReadTexts();
    return m_bValid;
}

void CMp3Info::ReadHeader() {
    const Mp3_Headerinfo& header = *m_tag->GetMp3HeaderInfo();
    m_nBitRate = static_cast<int32_t>(header.bitrate);
    m_nVbrBitRate = static_cast<int32_t>(header.vbr_bitrate);
    m_nSampleRate = static_cast<int32_t>(header.frequency);
    m_nPlayingTime = static_cast<int32_t>(header.time);
    if (m_nVbrBitRate < 1) {
        m_strBitRate = std::to_string(m_nBitRate / 1000) + " kbit/s";
        m_nEffectiveBitRate = m_nBitRate;
    } else {
        m_strBitRate = std::to_string(m_nVbrBitRate / 1000) + " kbit/s (VBR)";
        m_nEffectiveBitRate = m_nVbrBitRate;
    }
    // The library reports no time for files with a VBR header (and for some low sample rates);
    // the audio's size over its bit rate gives it.
    if (m_nPlayingTime == 0 && m_nEffectiveBitRate > 0) {
        const size_t tags = m_tag->GetPrependedBytes() + m_tag->GetAppendedBytes();
        const size_t size = m_tag->GetFileSize();
        const uint64_t audioBytes = size > tags ? size - tags : 0;
        m_nPlayingTime = static_cast<int32_t>(audioBytes * 8 / static_cast<uint64_t>(m_nEffectiveBitRate));
    }
    m_strLayer = Lookup(kLayers, header.layer);
    m_strVersion = Lookup(kVersions, header.version);
    m_strChannelMode = Lookup(kChannelModes, header.channelmode);
}

void CMp3Info::ReadTexts() {
    const ID3_Tag& tag = *m_tag;
    m_strAlbum = FrameText(tag, ID3FID_ALBUM);
    m_strArtist = FrameText(tag, ID3FID_LEADARTIST);
    m_strComment = FrameText(tag, ID3FID_COMMENT);
    m_strTitle = FrameText(tag, ID3FID_TITLE);
    m_strTrack = FrameText(tag, ID3FID_TRACKNUM);
    m_strYear = FrameText(tag, ID3FID_YEAR);
    m_strComposer = FrameText(tag, ID3FID_COMPOSER);
    m_strRightsNotice = FrameText(tag, ID3FID_COPYRIGHT);
    m_strEncodedBy = FrameText(tag, ID3FID_ENCODEDBY);
    m_strFirstReleasePerformer = FrameText(tag, ID3FID_ORIGARTIST);
    m_strUserUrl = FrameText(tag, ID3FID_WWWUSER);

    // An ID3v1 genre is a number the library writes as "(n)"; an ID3v2 genre is text as it is.
    m_strGenre = FrameText(tag, ID3FID_CONTENTTYPE);
    if (m_strGenre && !m_bHasV2Tag) m_strGenre = Id3v1GenreText(*m_strGenre);

    // Decimal, so that the zero-padded "08" and "09" read as 8 and 9.
    if (m_strYear) m_nYear = LeadingInt(*m_strYear);
    if (m_strTrack) m_nTrack = LeadingInt(*m_strTrack);
}

}  // namespace lumetra
