#include "audio/MediaEngine.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "audio/MpegFrames.h"

namespace lumetra {

namespace {

const char* const kNothingOpen = "No media is open.";

// A CD track file ("Track03.cda") names its track (1 to 99) by the digits at the end of its name.
int TrackNumber(const std::string& path) {
    const std::string stem = std::filesystem::path(path).stem().string();
    size_t first = stem.size();
    while (first > 0 && std::isdigit(static_cast<unsigned char>(stem[first - 1]))) --first;
    const std::string digits = stem.substr(std::max(first, stem.size() - std::min<size_t>(stem.size(), 2)));
    return digits.empty() ? 1 : std::max(1, std::stoi(digits));
}

std::string LowerExtension(const std::string& path) {
    std::string extension = std::filesystem::path(path).extension().string();
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension;
}

}  // namespace

CMediaEngine::CMediaEngine() {
    GError* error = nullptr;
    if (!gst_init_check(nullptr, nullptr, &error))
        m_initError = error && error->message ? error->message : "GStreamer could not be initialised.";
    g_clear_error(&error);
}

CMediaEngine::~CMediaEngine() {
    SetEndNotify({});
    Close();
}

std::optional<std::string> CMediaEngine::UriFor(const std::string& path, MediaOpenResult& failure) {
    if (LowerExtension(path) == ".cda") {
        if (gst_uri_protocol_is_supported(GST_URI_SRC, "cdda"))
            return "cdda://" + std::to_string(TrackNumber(path));
        failure = {MediaFailure::kNoCdSource, path};
        return std::nullopt;
    }
    std::error_code ignored;
    const std::filesystem::file_status status = std::filesystem::status(path, ignored);
    if (!std::filesystem::exists(status)) {
        failure = {MediaFailure::kMissing, path};
        return std::nullopt;
    }
    // A pipe or a device would hold the open until someone writes to it: never a file to play.
    if (!std::filesystem::is_regular_file(status)) {
        failure = {MediaFailure::kNotAFile, path};
        return std::nullopt;
    }
    GError* error = nullptr;
    gchar* uri = gst_filename_to_uri(path.c_str(), &error);
    if (!uri) {
        failure = {MediaFailure::kEngine,
                   error && error->message ? error->message : "The file name is not usable."};
        g_clear_error(&error);
        return std::nullopt;
    }
    std::string text = uri;
    g_free(uri);
    return text;
}

MediaOpenResult CMediaEngine::Open(const std::string& path, const RetryWait& wait) {
    Close();
    if (!m_initError.empty()) return {MediaFailure::kEngine, m_initError};
    MediaOpenResult result;
    const std::optional<std::string> uri = UriFor(path, result);
    if (!uri) return result;
    for (int attempt = 1; attempt <= kOpenAttempts; ++attempt) {
        std::string error;
        m_media = CGstMedia::Open(*uri, error, m_endRelay);
        if (m_media) {
            m_mp3LengthMs = LowerExtension(path) == ".mp3" ? Mp3LengthMs(path) : std::nullopt;
            result.lengthMs = LengthMs().value_or(0);
            return result;
        }
        result = {MediaFailure::kEngine, error};
        if (attempt < kOpenAttempts && !wait(kOpenRetryWait)) break;
    }
    return result;
}

void CMediaEngine::Close() {
    m_media.reset();
    m_mp3LengthMs.reset();
}

std::string CMediaEngine::Play() {
    return m_media ? m_media->Play() : kNothingOpen;
}

std::string CMediaEngine::Pause() {
    return m_media ? m_media->Pause() : kNothingOpen;
}

std::string CMediaEngine::Stop() {
    if (!m_media) return kNothingOpen;
    const std::string paused = m_media->Pause();
    return paused.empty() ? m_media->SeekTo(0) : paused;
}

std::string CMediaEngine::PlayFrom(int64_t ms) {
    if (!m_media) return kNothingOpen;
    const std::optional<int64_t> length = LengthMs();
    if (length && ms > *length) return "The position lies beyond the end.";
    const std::string moved = m_media->SeekTo(ms * GST_MSECOND);
    return moved.empty() ? m_media->Play() : moved;
}

std::optional<int64_t> CMediaEngine::PositionMs() {
    if (!m_media) return std::nullopt;
    const std::optional<int64_t> position = m_media->Position();
    if (!position) return std::nullopt;
    return *position / GST_MSECOND;
}

std::optional<int64_t> CMediaEngine::LengthMs() {
    if (!m_media) return std::nullopt;
    if (m_mp3LengthMs) return m_mp3LengthMs;
    const std::optional<int64_t> duration = m_media->Duration();
    if (!duration) return std::nullopt;
    return *duration / GST_MSECOND;
}

void CMediaEngine::SetEndNotify(MediaEndNotify notify) {
    m_endRelay->Set(std::move(notify));
}

}  // namespace lumetra
