// Messages that the core's threads post to the main window and its pages. The user interface
// turns each into a posted event (CWindowEvent, widgets/WindowEvent.h) handled on its own thread,
// where the handler reads what changed from the station. These are the only events Lumetra makes.
#pragma once

namespace lumetra {

enum class WindowMessage {
    kZoneRefresh,      // zone control page: redraw the speaker states
    kTasksChanged,     // task list page: reload the task list
    kPowerRefresh,     // zone control page: redraw the four power buttons
    kPlaybackChanged,  // instant-play page: show the playback's state, list and messages
    kLinkStatus,       // main window: the link state may have changed
    kEmergency,        // main window: an emergency broadcast began or ended
    kAnnouncement,     // zone control page: an announcement began, ended or has a message
    kHistoryFailure,   // main window: a broadcast had a failure; show the mark
    kShutdown,         // main window: the automatic shutdown's setting or notice changed
};
// How many messages there are; kShutdown is the last, so a message added after it moves this on.
constexpr int kWindowMessageCount = static_cast<int>(WindowMessage::kShutdown) + 1;

}  // namespace lumetra
