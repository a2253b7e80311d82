// The media-control interface the media player talks to: an open request naming a device type,
// an element and an alias, then command strings addressed to the alias ("play myMedia from 0").
// The production implementation interprets them over GStreamer (GstMediaControl.h); tests may
// put a recorder in front of it.
#pragma once

#include <functional>
#include <string>

namespace lumetra {

// What one request gave: error 0 and the reply text (for status queries), or a non-zero error
// and a text that explains it to the operator.
struct MediaResult {
    int error = 0;
    std::string text;
};

// Error numbers of the media-control interface.
enum MediaError : int {
    kMediaOk = 0,
    kMediaUnknownCommand = 1,  // the command string is not understood
    kMediaBadParameter = 2,    // a value is missing, malformed or out of range
    kMediaAliasNotOpen = 3,    // no media is open under the alias
    kMediaAliasInUse = 4,      // the alias already names an open media
    kMediaUnknownDevice = 5,   // the device type is not supported
    kMediaEngineFailure = 6,   // the media engine refused; the text is its own
};

struct MediaOpenRequest {
    std::string deviceType;  // "waveaudio", "mpegvideo", "avivideo" or "cdaudio"
    std::string element;     // the file path
    std::string alias;       // the name later commands use
};

// Called on a media thread when the media under an alias has played to its end. It must return
// at once (post a message, set a flag) and never call back into the control.
using MediaEndNotify = std::function<void()>;

class IMediaControl {
public:
    virtual ~IMediaControl() = default;
    virtual MediaResult Open(const MediaOpenRequest& request) = 0;
    virtual MediaResult Send(const std::string& command) = 0;
    // Whom to tell when the media under `alias`, now or opened later, reaches its end; an empty
    // function stops the calls, and once this returns the old one is never called again. A
    // control that cannot tell keeps quiet: owners still ask "status ALIAS mode".
    virtual void SetEndNotify(const std::string& alias, MediaEndNotify notify) {
        (void)alias;
        (void)notify;
    }
};

}  // namespace lumetra
