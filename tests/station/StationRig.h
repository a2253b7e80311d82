// What the station tests share: a real database file, the transmitter simulator on a
// pseudo-terminal as COM1 (through a stable name, as a USB adapter has), GStreamer with a silent sink, and a
// station on time running twenty times faster than the wall clock; the frames that reach the
// transmitter, and the lines and events the history holds.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "link/TransmitterLink.h"
#include "station/Station.h"
#include "store/Database.h"
#include "store/HistoryTable.h"
#include "store/TaskModeTable.h"
#include "tests/support/AudioFixtures.h"
#include "tests/support/Eventually.h"
#include "tests/support/LocalTime.h"
#include "tests/support/PacedClock.h"
#include "tests/support/TaskRows.h"
#include "tests/support/TestDatabase.h"
#include "tools/txsim/SimulatorProcess.h"

namespace lumetra::test {

// Monday 2026-03-02.
inline std::time_t Monday(int hour, int minute, int second) {
    return LocalTime(2026, 3, 2, hour, minute, second);
}

inline ChannelFlags Channels(std::initializer_list<int> numbers) {
    ChannelFlags flags{};
    for (int number : numbers) flags[static_cast<size_t>(number - 1)] = 1;
    return flags;
}

// What an emergency sends at its start and again at the next tick.
inline const std::vector<std::string> kAllOn{"SendAudioCom: channels on: all", "SendPower: outlets on: all"};

inline std::string Clock(std::time_t at) {
    return LocalText(at, "%T");
}

// An event as "08:00:00 开始" with " [失败]" when it failed; a file's events carry no second (the
// playback's own pace), their detail instead. Whether the link was up is checked where the test
// brings it down.
inline std::string Line(const HistoryEventRow& event) {
    const bool file = event.kind >= HistoryKind::kFileStart && event.kind <= HistoryKind::kFileFailed;
    return (file ? std::string(HistoryKindText(event.kind)) + " " + event.detail
                 : Clock(event.at) + " " + HistoryKindText(event.kind)) +
           (event.failed ? " [失败]" : "");
}

// Counts what the station tells the pages.
class CCountingObserver : public IStationObserver {
public:
    void Notify(WindowMessage message) override {
        if (message == WindowMessage::kTasksChanged) ++tasksChanged;
    }
    void ShowDatabaseError(const std::string&) override { ++databaseErrors; }
    std::atomic<int> tasksChanged{0}, databaseErrors{0};
};

class CStationRig : public testing::Test {
protected:
    static void SetUpTestSuite() {
        setenv("LUMETRA_AUDIO_SINK", "fakesink", 1);
        KeepGstRegistryInBuildTree();
    }
    void SetUp() override { setenv("LUMETRA_COM1", portName.c_str(), 1); }
    void TearDown() override {
        unsetenv("LUMETRA_COM1");
        unsetenv("LUMETRA_PAGING_SOURCE");
    }

    // Stores the task (with its own play mode, if any), then starts a station at `now` that
    // `observer` watches.
    std::string StartStation(std::time_t now, const TaskRow& row, std::optional<PlayMode> mode = {}) {
        const std::string id = InsertTask(database.Db(), row);
        if (mode)
            CTaskModeTable(database.Db())
                .SaveWithTask(FormatSql("update tb_memo set FM='1' where ID=%d", LeadingInt(id)),
                              LeadingInt(id), *mode);
        clock = std::make_unique<CPacedClock>(now, 20);
        station = std::make_unique<CStation>(database.Db(), link, *clock);
        station->SetObserver(&observer);
        station->Start();
        return id;
    }

    // The frames that reach the transmitter from now on, heartbeats aside, as "command: text" (with
    // the bytes of a frame under 20 when `shortFrameBytes`), until `done` holds for them or 15 s pass.
    template <typename F>
    std::vector<std::string> ReadFrames(F done) {
        std::vector<std::string> frames;
        for (const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(15);
             !done(frames) && std::chrono::steady_clock::now() < end;) {
            const auto line = simulator.ReadLine(std::chrono::milliseconds(50));
            if (!line || txsim::JsonField(*line, "event") != "frame" ||
                txsim::JsonField(*line, "command") == "SendSCOM")
                continue;
            frames.push_back(txsim::JsonField(*line, "command") + ": " + txsim::JsonField(*line, "text"));
            if (shortFrameBytes && std::stoi(txsim::JsonField(*line, "length")) < 20)
                frames.back() += " [" + txsim::JsonField(*line, "hex") + "]";
        }
        return frames;
    }
    // ... until `last` has come; empty when it does not come in time.
    std::vector<std::string> FramesUntil(const std::string& last) {
        const auto came = [&](const std::vector<std::string>& f) { return !f.empty() && f.back() == last; };
        const std::vector<std::string> frames = ReadFrames(came);
        return came(frames) ? frames : std::vector<std::string>{};
    }

    // A loaded machine may miss a reply and see the link go down and up again: those lines, and
    // the link marks of events, are checked only where the test brings the link down itself.
    std::vector<HistoryRecord> Records(bool withLink = false) {
        std::vector<HistoryRecord> records = CHistoryTable(database.Db()).Records(0, INT_MAX);
        if (!withLink) std::erase_if(records, [](const auto& r) { return r.kind == RecordKind::kLink; });
        return records;
    }
    std::vector<std::string> Events(int64_t record) {
        std::vector<std::string> lines;
        for (const HistoryEventRow& event : CHistoryTable(database.Db()).Events(record))
            lines.push_back(Line(event));
        return lines;
    }
    bool HasEvent(HistoryKind kind) {
        for (const HistoryRecord& record : Records())
            for (const HistoryEventRow& event : CHistoryTable(database.Db()).Events(record.id))
                if (event.kind == kind) return true;
        return false;
    }

    TempDir portFolder;
    const std::string portName = portFolder.File("transmitter");
    // Away for a minute after a hang-up: the rest of a broadcast goes out with the link down.
    txsim::CSimulatorProcess simulator{LUMETRA_TXSIM_PATH, {"--link", portName, "--down-for", "60"}};
    TestDatabase database;
    CTransmitterLink link;
    std::unique_ptr<CPacedClock> clock;
    std::unique_ptr<CStation> station;
    CCountingObserver observer;
    bool shortFrameBytes = false;
};

}  // namespace lumetra::test
