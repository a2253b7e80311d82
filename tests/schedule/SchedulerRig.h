// A recorder of what the scheduler does, and the task rows it reads. Shared by the scheduler tests
// and benchmark.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "link/LinkCommand.h"
#include "schedule/SchedulerOwner.h"
#include "tests/support/LocalTime.h"
#include "tests/support/RecordingLink.h"
#include "tests/support/TaskRows.h"

namespace lumetra::test {

// Stands for both the link and the main window: keeps every frame instead of queueing it for the
// port, and every frame, message and hand-over in order as an event stamped with the clock's
// moment and, when a probe is set, the task's stored state then.
class CRecorder : public CRecordingLink, public ISchedulerOwner {
public:
    struct Event {
        int64_t millis;
        std::string what;  // "SendPower 05", "SendAudioCom on", "PlayTask <id> <list>", "StopTask <id>"...
        std::string state;
    };

    explicit CRecorder(std::function<int64_t()> now) : m_now(std::move(now)) {}

    std::function<std::string()> probe;

    bool Enqueue(const LinkCommand& command) override {
        const std::vector<uint8_t>& d = command.data;
        std::string what = command.name;
        const char* digits = "0123456789ABCDEF";
        if (command.name == "SendPower" && d.size() == 7)
            what += std::string{' ', digits[d[5] >> 4], digits[d[5] & 15]};
        if (command.name == "SendAudioCom" && d.size() == 71 && d[4] == 0xA4) what += d[69] ? " on" : " off";
        CRecordingLink::Enqueue(command);
        Add(what);
        return true;
    }
    void PostMessage(WindowMessage message) override {
        const char* names[] = {"ZoneRefresh", "TasksChanged", "PowerRefresh"};  // in enum order
        const auto n = static_cast<size_t>(message);
        Add(n < std::size(names) ? std::string(names[n]) : "message " + std::to_string(n));
    }
    void PlayTask(const std::string& id, const std::string& playList) override {
        Add("PlayTask " + id + " " + playList);
    }
    void StopTask(const std::string& id) override { Add("StopTask " + id); }

    std::vector<Event> Events() const {
        std::lock_guard lock(m_mutex);  // the scheduler thread adds while a test reads
        return m_events;
    }
    // Events that are `what` or begin with it and a blank: "PlayTask" counts every hand-over.
    int Count(const std::string& what) const {
        const std::vector<Event> events = Events();
        return static_cast<int>(std::count_if(events.begin(), events.end(), [&](auto& e) {
            return e.what == what || e.what.starts_with(what + " ");
        }));
    }
    void Clear() {
        CRecordingLink::Clear();
        std::lock_guard lock(m_mutex);
        m_events.clear();
    }

private:
    void Add(const std::string& what) {
        Event event{m_now(), what, probe ? probe() : ""};
        std::lock_guard lock(m_mutex);
        m_events.push_back(std::move(event));
    }

    std::function<int64_t()> m_now;
    mutable std::mutex m_mutex;
    std::vector<Event> m_events;
};

}  // namespace lumetra::test
