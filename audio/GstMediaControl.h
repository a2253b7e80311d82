// The media-control interface over GStreamer: opens files (and audio CD tracks) under aliases
// and interprets the command strings of MediaCommand.h on them. Lengths and positions are in
// milliseconds, or in frames after "set ALIAS time format frames"; "status ALIAS frame rate"
// answers frames per second times 1000; "status ALIAS mode" answers "playing", "paused" or
// "stopped", which is also what a media that has played to its end reports. Runs on the
// caller's thread, apart from the end notices, which come from the media's streaming thread.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "audio/GstMedia.h"
#include "audio/MediaCommand.h"
#include "audio/MediaControl.h"

namespace lumetra {

class CGstMediaControl : public IMediaControl {
public:
    // Initialises GStreamer (once per process); when that fails, every open reports why.
    CGstMediaControl();
    ~CGstMediaControl() override;

    MediaResult Open(const MediaOpenRequest& request) override;
    MediaResult Send(const std::string& command) override;
    void SetEndNotify(const std::string& alias, MediaEndNotify notify) override;

    // The URI a device type and element stand for; an error when there is none.
    static MediaResult UriFor(const MediaOpenRequest& request);

private:
    struct Device {
        std::unique_ptr<CGstMedia> media;
        bool frames = false;           // time format
        const char* mode = "stopped";  // as the last command left it; the end of the stream aside
    };
    std::shared_ptr<CMediaEndRelay> EndRelay(const std::string& alias);
    MediaResult Status(Device& device, MediaStatusItem item);
    MediaResult PlayFrom(Device& device, int64_t from);

    std::map<std::string, Device> m_devices;                             // by alias
    std::map<std::string, std::shared_ptr<CMediaEndRelay>> m_endRelays;  // by alias, kept across opens
    std::string m_initError;  // why GStreamer is unusable; empty when it is fine
};

// The process-wide media control, used by players built without one.
IMediaControl& ProcessMediaControl();

}  // namespace lumetra
