#include "audio/GstMediaControl.h"

#include <cctype>
#include <filesystem>

namespace lumetra {

namespace {

MediaResult NotOpen(const std::string& alias) {
    return {kMediaAliasNotOpen, "No media is open under the name \"" + alias + "\"."};
}

// Nanoseconds in `units` of the time format.
int64_t ToNanoseconds(int64_t units, bool frames, const FrameRate& rate) {
    if (!frames) return static_cast<int64_t>(gst_util_uint64_scale(units, GST_MSECOND, 1));
    return static_cast<int64_t>(gst_util_uint64_scale(units, GST_SECOND * rate.denominator, rate.numerator));
}

int64_t FromNanoseconds(int64_t time, bool frames, const FrameRate& rate) {
    if (!frames) return time / GST_MSECOND;
    return static_cast<int64_t>(gst_util_uint64_scale(time, rate.numerator, GST_SECOND * rate.denominator));
}

// A CD track file ("Track03.cda") names its track (1 to 99) by the digits at the end of its name.
int TrackNumber(const std::string& path) {
    const std::string stem = std::filesystem::path(path).stem().string();
    size_t first = stem.size();
    while (first > 0 && std::isdigit(static_cast<unsigned char>(stem[first - 1]))) --first;
    const std::string digits = stem.substr(std::max(first, stem.size() - std::min<size_t>(stem.size(), 2)));
    return digits.empty() ? 1 : std::max(1, std::stoi(digits));
}

}  // namespace

CGstMediaControl::CGstMediaControl() {
    GError* error = nullptr;
    if (!gst_init_check(nullptr, nullptr, &error)) {
        m_initError = error && error->message ? error->message : "GStreamer could not be initialised.";
    }
    g_clear_error(&error);
}

CGstMediaControl::~CGstMediaControl() = default;

MediaResult CGstMediaControl::UriFor(const MediaOpenRequest& request) {
    const std::string& type = request.deviceType;
    if (type == "cdaudio") {
        if (!gst_uri_protocol_is_supported(GST_URI_SRC, "cdda")) {
            return {kMediaEngineFailure,
                    "Audio CD tracks need a GStreamer CD source (cdparanoiasrc), and none is installed."};
        }
        return {kMediaOk, "cdda://" + std::to_string(TrackNumber(request.element))};
    }
    if (type != "waveaudio" && type != "mpegvideo" && type != "avivideo") {
        return {kMediaUnknownDevice, "Unknown device type \"" + type + "\"."};
    }
    // A pipe or a device would hold the open until someone writes to it: never a file to play.
    std::error_code ignored;
    const auto kind = std::filesystem::status(request.element, ignored).type();
    if (kind == std::filesystem::file_type::fifo || kind == std::filesystem::file_type::socket ||
        kind == std::filesystem::file_type::character || kind == std::filesystem::file_type::block)
        return {kMediaBadParameter, "\"" + request.element + "\" is not a file that can be played."};
    GError* error = nullptr;
    gchar* uri = gst_filename_to_uri(request.element.c_str(), &error);
    if (!uri) {
        MediaResult result{kMediaBadParameter, error ? error->message : "The file name is not usable."};
        g_clear_error(&error);
        return result;
    }
    MediaResult result{kMediaOk, uri};
    g_free(uri);
    return result;
}

MediaResult CGstMediaControl::Open(const MediaOpenRequest& request) {
    if (!m_initError.empty()) return {kMediaEngineFailure, m_initError};
    if (m_devices.count(request.alias)) {
        return {kMediaAliasInUse, "The name \"" + request.alias + "\" is already in use."};
    }
    const MediaResult uri = UriFor(request);
    if (uri.error != kMediaOk) return uri;
    std::string error;
    std::unique_ptr<CGstMedia> media = CGstMedia::Open(uri.text, error, EndRelay(request.alias));
    if (!media) return {kMediaEngineFailure, error};
    m_devices[request.alias] = Device{std::move(media)};
    return {};
}

std::shared_ptr<CMediaEndRelay> CGstMediaControl::EndRelay(const std::string& alias) {
    std::shared_ptr<CMediaEndRelay>& relay = m_endRelays[alias];
    if (!relay) relay = std::make_shared<CMediaEndRelay>();
    return relay;
}

void CGstMediaControl::SetEndNotify(const std::string& alias, MediaEndNotify notify) {
    EndRelay(alias)->Set(std::move(notify));
}

MediaResult CGstMediaControl::Send(const std::string& text) {
    MediaCommand command;
    if (MediaResult parsed = ParseMediaCommand(text, command); parsed.error != kMediaOk) return parsed;
    const auto found = m_devices.find(command.alias);
    if (found == m_devices.end()) return NotOpen(command.alias);
    Device& device = found->second;
    switch (command.verb) {
        case MediaVerb::kPlay:
            device.mode = "playing";
            return command.hasFrom ? PlayFrom(device, command.from) : device.media->Play();
        case MediaVerb::kStop:
            device.mode = "stopped";
            return device.media->Pause();
        case MediaVerb::kPause:
            device.mode = "paused";
            return device.media->Pause();
        case MediaVerb::kResume:
            device.mode = "playing";
            return device.media->Play();
        case MediaVerb::kSeekToStart: {
            // A seek leaves the media stopped at its new position.
            device.mode = "stopped";
            const MediaResult paused = device.media->Pause();
            return paused.error != kMediaOk ? paused : device.media->SeekTo(0);
        }
        case MediaVerb::kClose:
            m_devices.erase(found);
            return {};
        case MediaVerb::kSetTimeFormat:
            device.frames = command.frames;
            return {};
        case MediaVerb::kStatus:
            return Status(device, command.item);
    }
    return {kMediaUnknownCommand, "Unknown media command \"" + text + "\"."};
}

MediaResult CGstMediaControl::PlayFrom(Device& device, int64_t from) {
    const int64_t target = ToNanoseconds(from, device.frames, device.media->Rate());
    const std::optional<int64_t> duration = device.media->Duration();
    if (duration && target > *duration) {
        return {kMediaBadParameter, "The position " + std::to_string(from) + " lies beyond the end."};
    }
    if (MediaResult moved = device.media->SeekTo(target); moved.error != kMediaOk) return moved;
    return device.media->Play();
}

MediaResult CGstMediaControl::Status(Device& device, MediaStatusItem item) {
    if (item == MediaStatusItem::kMode) return {kMediaOk, device.media->Ended() ? "stopped" : device.mode};
    const FrameRate rate = device.media->Rate();
    if (item == MediaStatusItem::kFrameRate) {
        return {kMediaOk, std::to_string(static_cast<int64_t>(rate.numerator) * 1000 / rate.denominator)};
    }
    const std::optional<int64_t> time =
        item == MediaStatusItem::kLength ? device.media->Duration() : device.media->Position();
    if (!time) return {kMediaEngineFailure, "The media cannot tell its length or position yet."};
    return {kMediaOk, std::to_string(FromNanoseconds(*time, device.frames, rate))};
}

IMediaControl& ProcessMediaControl() {
    static CGstMediaControl control;
    return control;
}

}  // namespace lumetra
