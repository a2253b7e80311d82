// What the scheduler thread may do to the user interface: post messages, and hand the play list
// text to the instant-play page just before it posts WM_PLAY_TASK. The main window implements it;
// every call comes from the scheduler thread and must not wait for the user-interface thread.
#pragma once

#include <string>

#include "schedule/WindowMessages.h"

namespace lumetra {

class ISchedulerOwner {
public:
    virtual ~ISchedulerOwner() = default;
    // Posts one of WM_ZONE_REFRESH, WM_PLAY_TASK, WM_STOP_TASK, WM_TASKS_CHANGED, WM_POWER_REFRESH
    // to the page that handles it.
    virtual void PostMessage(WindowMessage message) = 0;
    // Stores 节目内容 in the instant-play page as the list for the next WM_PLAY_TASK.
    virtual void SetPlayListText(const std::string& text) = 0;
    // Clears the instant-play page's open-failure latch.
    virtual void ClearOpenFailure() = 0;
};

}  // namespace lumetra
