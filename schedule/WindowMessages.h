// Messages that the core's threads post to the main window and its pages. The user interface
// turns each into a posted event handled on its own thread, where the handler reads what changed
// from the station; the numbers are the offsets from the first user message.
#pragma once

namespace lumetra {

enum WindowMessage : int {
    WM_ZONE_REFRESH = 1000,      // zone control page: redraw the speaker states
    WM_TASKS_CHANGED = 1003,     // task list page: reload the task list
    WM_POWER_REFRESH = 1004,     // zone control page: redraw the four power buttons
    WM_PLAYBACK_CHANGED = 1005,  // instant-play page: show the playback's state, list and messages
    WM_LINK_STATUS = 1010,       // main window: the link state may have changed
    WM_EMERGENCY = 1011,         // main window: an emergency broadcast began or ended
    WM_ANNOUNCEMENT = 1012,      // zone control page: an announcement began, ended or has a message
    WM_HISTORY_FAILURE = 1020,   // main window: a broadcast had a failure; show the mark
};

}  // namespace lumetra
