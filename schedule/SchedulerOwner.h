// What the schedule thread may ask of its owner, the station: play or stop a task's list, tell the
// pages that switches or task states changed, and carry out the station's own duties after every
// tick. Every call comes from the schedule thread and must not wait for the user-interface thread.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>

#include "schedule/WindowMessages.h"
#include "store/HistoryEvent.h"

namespace lumetra {

struct TaskFields;

class ISchedulerOwner {
public:
    virtual ~ISchedulerOwner() = default;
    // Posts WindowMessage::kZoneRefresh, WindowMessage::kTasksChanged or WindowMessage::kPowerRefresh to the
    // page that shows it.
    virtual void PostMessage(WindowMessage message) = 0;
    // Plays the task's 节目内容 from its first entry.
    virtual void PlayTask(const std::string& taskId, const std::string& playList) = 0;
    // Stops the playback if it is this task's.
    virtual void StopTask(const std::string& taskId) = 0;
    // A step of a task's broadcast (HistoryKind's broadcast steps), at the second it belongs to;
    // `task` is null when its row is gone.
    virtual void BroadcastStep(HistoryKind step, const std::string& taskId, const TaskFields* task,
                               std::time_t second) {
        (void)step, (void)taskId, (void)task, (void)second;
    }
    // After every tick, also one that failed, with the clock's readings of that tick.
    virtual void AfterTick(std::time_t now, int64_t steadyMillis) {
        (void)now;
        (void)steadyMillis;
    }
};

}  // namespace lumetra
