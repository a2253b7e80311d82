// Task rows written the way the task editor stores them, and a recorder of what the scheduler
// does. Shared by the scheduler tests and benchmark.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <mutex>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/NumberText.h"
#include "link/LinkCommand.h"
#include "schedule/SchedulerOwner.h"
#include "schedule/TaskRecord.h"
#include "store/Database.h"
#include "store/SqlFormat.h"
#include "store/Statements.h"
#include "tests/link/RecordingLink.h"
#include "tests/support/LocalTime.h"

namespace lumetra::test {

// 目标区域: 128 entries "1"/"0" joined by "|", "1" for each listed channel number.
inline std::string ZoneText(const std::vector<int>& channels) {
    std::string text = "0";
    for (int channel = 2; channel <= 128; ++channel) text += "|0";
    for (int channel : channels) text[2 * (channel - 1)] = '1';
    return text;
}

struct TaskRow {
    std::string name = "早间广播";
    std::string date = "2026-03-02";
    std::string start = "08:00:00";
    std::string end = "08:30:00";
    std::string code = kRepeatDaily;  // 提醒次数
    std::string weekDays = "";        // 一周时间
    std::string state = sql::kStateIdle;
    std::string playList = "/music/晨曲.mp3|/music/it's news.wav";
    std::string zones = ZoneText({1, 3, 10});
    std::string power = "1010";
    std::string id{};  // for rows that are never stored
};

// `base` (a daily row) changed by words: "08:00:00-08:10:00" its times ("08:10:00" its start), "2026-10-01"
// its date, "z1,2" its channels, "p1000" its outlets, "w27" weekly on those days, "once", "running", "#7",
// "/a.mp3" its play list.
inline TaskRow Row(const std::string& words, TaskRow row = {}) {
    std::istringstream in(words);
    for (std::string w; in >> w;) {
        if (w[2] == ':') {
            row.start = w.substr(0, 8);
            if (w.size() > 9) row.end = w.substr(9);
        } else if (w.size() == 10 && w[4] == '-') {
            row.date = w;
        } else if (w[0] == 'z') {
            std::replace(w.begin(), w.end(), ',', ' ');
            std::istringstream numbers(w.substr(1));
            std::vector<int> channels;
            for (int channel; numbers >> channel;) channels.push_back(channel);
            row.zones = ZoneText(channels);
        } else if (w[0] == '/') {
            row.playList = w;
        } else if (w[0] == 'p' || w[0] == 'w' || w[0] == '#') {
            (w[0] == 'p' ? row.power : w[0] == 'w' ? row.weekDays : row.id) = w.substr(1);
            if (w[0] == 'w') row.code = kRepeatWeekly;
        } else if (w == "once" || w == "running") {
            (w == "once" ? row.code : row.state) = w == "once" ? kRepeatOnce : sql::kStateRunning;
        } else {
            throw std::invalid_argument("task word " + w);
        }
    }
    return row;
}

// Rows of words separated by ";".
inline std::vector<TaskRow> Rows(const std::string& words, const TaskRow& base = {}) {
    std::vector<TaskRow> rows;
    std::istringstream in(words);
    for (std::string row; std::getline(in, row, ';');) rows.push_back(Row(row, base));
    return rows;
}

inline TaskRecord Record(const TaskRow& row) {
    TaskRecord t;
    t.id = row.id, t.repeatCode = row.code, t.date = row.date, t.weekDays = row.weekDays, t.state = row.state;
    t.startTime = row.start, t.endTime = row.end, t.zones = row.zones, t.power = row.power;
    return t;
}

// Inserts the row and returns its ID as text.
inline std::string InsertTask(CDatabase& db, const TaskRow& row) {
    const char* repeatText = row.code == kRepeatOnce ? "次" : row.code == kRepeatWeekly ? "周" : "天";
    db.ExecuteSql(FormatSql(sql::kInsertTask, row.name, row.date, row.start, row.end, repeatText, "1",
                            row.playList, row.zones, row.code, row.weekDays, row.state, "1", row.power));
    CRecordset rows(db);
    rows.Open("select max(ID) as ID from tb_memo");
    return rows.GetFieldText("ID");
}

inline std::string StoredTaskState(CDatabase& db, const std::string& id) {
    CRecordset rows(db);
    rows.Open(FormatSql("select * from tb_memo where ID=%d", LeadingInt(id)));
    return rows.GetFieldText("状态");
}

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

    void Enqueue(const LinkCommand& command) override {
        const std::vector<uint8_t>& d = command.data;
        std::string what = command.name;
        if (command.name == "SendPower" && d.size() == 7) what += " " + HexByte(d[5]);
        if (command.name == "SendAudioCom" && d.size() == 71 && d[4] == 0xA4) what += d[69] ? " on" : " off";
        CRecordingLink::Enqueue(command);
        Add(what);
    }
    void PostMessage(WindowMessage message) override {
        Add(message == WindowMessage::kZoneRefresh    ? "WM_ZONE_REFRESH"
            : message == WindowMessage::kTasksChanged ? "WM_TASKS_CHANGED"
            : message == WindowMessage::kPowerRefresh
                ? "WM_POWER_REFRESH"
                : "message " + std::to_string(static_cast<int>(message)));
    }
    void PlayTask(const std::string& id, const std::string& playList) override {
        Add("PlayTask " + id + " " + playList);
    }
    void StopTask(const std::string& id) override { Add("StopTask " + id); }

    std::vector<Event> Events() const {
        std::lock_guard lock(m_mutex);  // the scheduler thread adds while a test reads
        return m_events;
    }
    std::vector<std::vector<uint8_t>> Frames() const {
        std::vector<std::vector<uint8_t>> frames;
        for (const LinkCommand& c : Commands()) frames.push_back(c.data);
        return frames;
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
    static std::string HexByte(uint8_t byte) {
        const char* digits = "0123456789ABCDEF";
        return {digits[byte >> 4], digits[byte & 15]};
    }
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
