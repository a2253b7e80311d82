// What the scheduler did, in order, on one timeline: the frames it gave the link and the messages
// and hand-overs it gave the main window, each stamped with the simulated moment, as text such as
//   "07:59:50.500 SendAudioCom on"   "08:00:00.000 WM_PLAY_TASK [正在执行]"
// The bracketed task state is added when a state probe is set, which shows where the state
// update falls among the other steps. Shared by the scheduler tests and the benchmark.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "link/LinkCommand.h"
#include "link/TransmitterLink.h"
#include "schedule/SchedulerOwner.h"

namespace lumetra::test {

inline const char* MessageName(WindowMessage message) {
    switch (message) {
        case WM_ZONE_REFRESH:
            return "WM_ZONE_REFRESH";
        case WM_PLAY_TASK:
            return "WM_PLAY_TASK";
        case WM_STOP_TASK:
            return "WM_STOP_TASK";
        case WM_TASKS_CHANGED:
            return "WM_TASKS_CHANGED";
        case WM_POWER_REFRESH:
            return "WM_POWER_REFRESH";
        case WM_LINK_STATUS:
            return "WM_LINK_STATUS";
    }
    return "unknown message";
}

// "HH:MM:SS.mmm" of a moment in milliseconds since the epoch, local time.
inline std::string ClockText(int64_t millis) {
    const std::time_t seconds = static_cast<std::time_t>(millis / 1000);
    std::tm local{};
    localtime_r(&seconds, &local);
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d.%03d", local.tm_hour, local.tm_min, local.tm_sec,
                  static_cast<int>(millis % 1000));
    return text;
}

class CTaskTimeline {
public:
    struct Event {
        int64_t millis;
        std::string what;  // without time and state
        std::string text;  // "time what [state]"
    };

    explicit CTaskTimeline(std::function<int64_t()> now) : m_now(std::move(now)) {}

    void SetStateProbe(std::function<std::string()> probe) { m_probe = std::move(probe); }

    void Add(const std::string& what) {
        const int64_t millis = m_now();
        std::string text = ClockText(millis) + " " + what;
        if (m_probe) text += " [" + m_probe() + "]";
        std::lock_guard lock(m_mutex);
        m_events.push_back({millis, what, std::move(text)});
    }

    std::vector<Event> Events() const {
        std::lock_guard lock(m_mutex);
        return m_events;
    }
    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const Event& e : Events()) texts.push_back(e.text);
        return texts;
    }
    int Count(const std::string& what) const {
        int count = 0;
        for (const Event& e : Events()) count += e.what == what;
        return count;
    }
    void Clear() {
        std::lock_guard lock(m_mutex);
        m_events.clear();
    }

private:
    std::function<int64_t()> m_now;
    std::function<std::string()> m_probe;
    mutable std::mutex m_mutex;  // the scheduler thread adds while a test reads
    std::vector<Event> m_events;
};

// A link that keeps every frame instead of queueing it for the port.
class CRecordingLink : public CTransmitterLink {
public:
    explicit CRecordingLink(CTaskTimeline& timeline) : m_timeline(timeline) {}

    void Enqueue(const LinkCommand& command) override {
        {
            std::lock_guard lock(m_mutex);
            m_frames.push_back(command.data);
        }
        m_timeline.Add(Describe(command));
    }

    std::vector<std::vector<uint8_t>> Frames() const {
        std::lock_guard lock(m_mutex);
        return m_frames;
    }

private:
    // Enough to tell the frames apart in a sequence; tests check the bytes themselves too.
    static std::string Describe(const LinkCommand& command) {
        const std::vector<uint8_t>& d = command.data;
        char mask[8];
        if (command.name == "SendPower" && d.size() == 7) {
            std::snprintf(mask, sizeof mask, "%02X", d[5]);
            return command.name + " " + mask;
        }
        if (command.name == "SendAudioCom" && d.size() == 71 && d[4] == 0xA4)
            return command.name + (d[69] ? " on" : " off");
        return command.name;
    }

    CTaskTimeline& m_timeline;
    mutable std::mutex m_mutex;
    std::vector<std::vector<uint8_t>> m_frames;
};

// The main window as the scheduler sees it.
class CRecordingOwner : public ISchedulerOwner {
public:
    explicit CRecordingOwner(CTaskTimeline& timeline) : m_timeline(timeline) {}
    void PostMessage(WindowMessage message) override { m_timeline.Add(MessageName(message)); }
    void SetPlayListText(const std::string& text) override { m_timeline.Add("SetPlayListText " + text); }
    void ClearOpenFailure() override { m_timeline.Add("ClearOpenFailure"); }

private:
    CTaskTimeline& m_timeline;
};

}  // namespace lumetra::test
