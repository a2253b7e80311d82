#include "audio/Mp3Info.h"

#include <taglib/apetag.h>
#include <taglib/commentsframe.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/textidentificationframe.h>
#include <taglib/urllinkframe.h>

#include <initializer_list>
#include <limits>

#include "audio/FileWindow.h"
#include "audio/Id3Genres.h"
#include "audio/MpegFrames.h"
#include "audio/TagText.h"
#include "base/NumberText.h"

namespace lumetra {

namespace {

using Text = CMp3Info::Text;

// A text from a table indexed by a header value; absent for values outside it.
template <size_t N>
Text Lookup(const char* const (&table)[N], int value) {
    if (value < 0 || value >= static_cast<int>(N) || !table[value]) return std::nullopt;
    return std::string(table[value]);
}

constexpr const char* kLayers[] = {"UNDEFINED", "Layer III", "Layer II", "Layer I"};
constexpr const char* kVersions[] = {"MPEG 2.5", nullptr, "MPEG 2", "MPEG 1"};
constexpr const char* kChannelModes[] = {"Stereo", "Joint Stereo", "Dual Channel", "Single Channel"};

std::string Utf8(const TagLib::String& text, TagLib::String::Type encoding) {
    // Latin-1 frames come back from TagLib one character per byte, so the bytes are recovered whole.
    return encoding == TagLib::String::Latin1 ? SingleByteTagText(text.to8Bit(false)) : text.to8Bit(true);
}

// The text of the ID3v2 frame `id`: a text frame's text, a comment's (the one without a
// description first) or a user link's address.
Text Id3v2Text(const TagLib::ID3v2::Tag* tag, const char* id) {
    if (!tag) return std::nullopt;
    const auto found = tag->frameListMap().find(id);
    if (found == tag->frameListMap().end() || found->second.isEmpty()) return std::nullopt;
    const TagLib::ID3v2::FrameList& frames = found->second;
    for (const TagLib::ID3v2::Frame* frame : frames) {
        if (const auto* comment = dynamic_cast<const TagLib::ID3v2::CommentsFrame*>(frame)) {
            if (comment->description().isEmpty() || frame == frames.back())
                return Utf8(comment->text(), comment->textEncoding());
        } else if (const auto* text = dynamic_cast<const TagLib::ID3v2::TextIdentificationFrame*>(frame)) {
            return Utf8(text->toString(), text->textEncoding());
        } else if (const auto* link = dynamic_cast<const TagLib::ID3v2::UserUrlLinkFrame*>(frame)) {
            return Utf8(link->url(), TagLib::String::Latin1);
        }
    }
    return std::nullopt;
}

// An APE item's text; APE texts are UTF-8.
Text ApeText(const TagLib::APE::Tag* tag, const char* key) {
    if (!tag) return std::nullopt;
    const auto found = tag->itemListMap().find(key);
    if (found == tag->itemListMap().end() || found->second.type() != TagLib::APE::Item::Text)
        return std::nullopt;
    return found->second.toString().to8Bit(true);
}

// An ID3v1 field; the tag has no way to tell an empty field from a missing one.
Text Id3v1Text(const TagLib::String& field) {
    if (field.isEmpty()) return std::nullopt;
    return SingleByteTagText(field.to8Bit(false));
}

Text Id3v1Number(unsigned int number) {
    if (number == 0) return std::nullopt;
    return std::to_string(number);
}

// The ID3v1 year field as it stands in the file's last 128 bytes: "08" stays "08" and "20xx"
// stays "20xx", where TagLib would give the numbers 8 and 20.
Text Id3v1Year(CFileWindow& file) {
    constexpr int64_t kTagSize = 128, kYearOffset = 93, kYearSize = 4;
    const int64_t tag = file.Size() - kTagSize;
    const uint8_t* year =
        tag >= 0 && file.Holds(tag, "TAG") ? file.At(tag + kYearOffset, kYearSize) : nullptr;
    if (!year) return std::nullopt;
    std::string text(reinterpret_cast<const char*>(year), kYearSize);
    text.erase(std::min(text.find('\0'), text.find_last_not_of(' ') + 1));
    if (text.empty()) return std::nullopt;
    return SingleByteTagText(text);
}

// The first present text: the ID3v2 frame's, else the APE item's, else the ID3v1 field's.
Text FirstOf(std::initializer_list<Text> texts) {
    for (const Text& text : texts)
        if (text) return text;
    return std::nullopt;
}

// TagLib hands an ID3v2 genre reference "(n)", and ID3v2.4's bare "n", over as the bare number.
Text Id3v2Genre(Text genre) {
    if (!genre) return genre;
    const std::string reference = "(" + *genre + ")";
    const std::string named = Id3v1GenreText(reference);
    return named == reference ? genre : named;
}

}  // namespace

CMp3Info::CMp3Info() = default;

CMp3Info::~CMp3Info() = default;

void CMp3Info::ResetFields() {
    m_path.clear();
    m_hasLyrics = m_hasV1Tag = m_hasV2Tag = false;
    m_fileSize = -1;
    m_bitRate = m_vbrBitRate = m_effectiveBitRate = m_sampleRate = m_playingTime = 0;
    for (Text* text : {&m_bitRateText, &m_layerText, &m_versionText, &m_channelModeText, &m_title, &m_artist,
                       &m_album, &m_comment, &m_year, &m_track, &m_genre, &m_composer, &m_rightsNotice,
                       &m_encodedBy, &m_firstReleasePerformer, &m_userUrl}) {
        text->reset();
    }
    m_yearNumber = m_trackNumber = 0;
    m_valid = false;
}

void CMp3Info::Clear() {
    if (m_valid) ResetFields();
}

bool CMp3Info::Open(const std::string& path) {
    Clear();
    m_valid = true;
    m_path = path;

    CFileWindow file(path);
    const Mp3Layout layout = FindMp3Layout(file);
    const std::optional<MpegStream> stream = ScanMpegStream(file, layout);
    if (!stream) {
        ResetFields();
        return false;
    }
    m_hasLyrics = layout.hasLyrics;
    m_fileSize = static_cast<int32_t>(std::min<int64_t>(file.Size(), std::numeric_limits<int32_t>::max()));
    ReadHeader(*stream);
    TagLib::MPEG::File tags(path.c_str(), false);
    if (tags.isValid()) ReadTexts(tags, Id3v1Year(file));
    return m_valid;
}

void CMp3Info::ReadHeader(const MpegStream& stream) {
    m_bitRate = stream.first.bitRate;
    m_vbrBitRate = stream.variable ? stream.averageBitRate : 0;
    m_sampleRate = stream.first.sampleRate;
    m_playingTime = static_cast<int32_t>(stream.lengthMs / 1000);
    if (m_vbrBitRate < 1) {
        m_bitRateText = std::to_string(m_bitRate / 1000) + " kbit/s";
        m_effectiveBitRate = m_bitRate;
    } else {
        m_bitRateText = std::to_string(m_vbrBitRate / 1000) + " kbit/s (VBR)";
        m_effectiveBitRate = m_vbrBitRate;
    }
    m_layerText = Lookup(kLayers, stream.first.layer);
    m_versionText = Lookup(kVersions, stream.first.version);
    m_channelModeText = Lookup(kChannelModes, stream.first.channelMode);
}

void CMp3Info::ReadTexts(TagLib::MPEG::File& file, Text v1Year) {
    const TagLib::ID3v2::Tag* v2 = file.hasID3v2Tag() ? file.ID3v2Tag() : nullptr;
    const TagLib::APE::Tag* ape = file.hasAPETag() ? file.APETag() : nullptr;
    const TagLib::ID3v1::Tag* v1 = file.hasID3v1Tag() ? file.ID3v1Tag() : nullptr;
    m_hasV1Tag = v1;
    m_hasV2Tag = v2;
    const auto pick = [&](const char* frame, const char* item, Text v1Text = std::nullopt) {
        return FirstOf({Id3v2Text(v2, frame), ApeText(ape, item), std::move(v1Text)});
    };
    m_album = pick("TALB", "ALBUM", v1 ? Id3v1Text(v1->album()) : std::nullopt);
    m_artist = pick("TPE1", "ARTIST", v1 ? Id3v1Text(v1->artist()) : std::nullopt);
    m_comment = pick("COMM", "COMMENT", v1 ? Id3v1Text(v1->comment()) : std::nullopt);
    m_title = pick("TIT2", "TITLE", v1 ? Id3v1Text(v1->title()) : std::nullopt);
    m_track = pick("TRCK", "TRACK", v1 ? Id3v1Number(v1->track()) : std::nullopt);
    // TagLib reads an ID3v2.3 year (TYER) as the recording time of ID3v2.4.
    m_year = pick("TDRC", "YEAR", v1 ? std::move(v1Year) : std::nullopt);
    m_composer = pick("TCOM", "COMPOSER");
    m_rightsNotice = pick("TCOP", "COPYRIGHT");
    m_encodedBy = pick("TENC", "ENCODEDBY");
    m_firstReleasePerformer = pick("TOPE", "ORIGINALARTIST");
    m_userUrl = pick("WXXX", "URL");

    // An ID3v1 genre is a number into the genre list; 255 stands for none.
    Text v1Genre;
    if (v1 && v1->genreNumber() != 255)
        v1Genre = Id3v1GenreText("(" + std::to_string(v1->genreNumber()) + ")");
    m_genre = FirstOf({Id3v2Genre(Id3v2Text(v2, "TCON")), ApeText(ape, "GENRE"), v1Genre});

    // Decimal, so that the zero-padded "08" and "09" read as 8 and 9.
    if (m_year) m_yearNumber = LeadingInt(*m_year);
    if (m_track) m_trackNumber = LeadingInt(*m_track);
}

}  // namespace lumetra
