// Messages that the core's threads post to the main window and its pages. The user interface
// turns each into a posted event handled on its own thread; the numbers are the offsets from
// the first user message, as every sender and receiver knows them.
#pragma once

namespace lumetra {

enum WindowMessage : int {
    WM_ZONE_REFRESH = 1000,   // zone control page: redraw the speaker states
    WM_PLAY_TASK = 1001,      // instant-play page: play the list handed over with SetPlayListText
    WM_STOP_TASK = 1002,      // instant-play page: stop the playback
    WM_TASKS_CHANGED = 1003,  // task list page: reload the task list
    WM_POWER_REFRESH = 1004,  // zone control page: redraw the four power buttons
    WM_LINK_STATUS = 1010,    // main window: the link state may have changed
};

}  // namespace lumetra
