// The station alone, without any widget: a real database file, the transmitter simulator on a
// pseudo-terminal as COM1 (through a stable name, as a USB adapter has), GStreamer with a silent
// sink, and time running twenty times faster than the wall clock. What reaches the transmitter is
// read frame by frame from the simulator; the history's lines and events (HistoryTest) are read
// back in order, with their seconds. Then the playback alone, under each play mode (TaskPlayMode).
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <climits>
#include <condition_variable>
#include <cstdlib>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "link/TransmitterLink.h"
#include "schedule/AutoShutdown.h"
#include "schedule/PowerControl.h"
#include "schedule/SimulatedClock.h"
#include "station/Playback.h"
#include "station/Station.h"
#include "store/Database.h"
#include "store/HistoryTable.h"
#include "store/TaskModeTable.h"
#include "tests/support/AudioFixtures.h"
#include "tests/support/Eventually.h"
#include "tests/support/LocalTime.h"
#include "tests/support/LogRecorder.h"
#include "tests/support/Mp3Fixture.h"
#include "tests/support/RecordingLink.h"
#include "tests/support/TaskRows.h"
#include "tests/support/TestDatabase.h"
#include "tools/txsim/SimulatorProcess.h"

namespace lumetra {
namespace {

using namespace std::chrono_literals;
using namespace test;

// A clock for the station's threads in tests: simulated time that runs `speed` times faster than
// the wall clock. Each sleep really waits (its length divided by the speed), so the threads tick
// in order and at their own pace, and then moves the time on by the whole length. Interrupt cuts
// every sleep short, as on the wall clock.
class CPacedClock : public CSimulatedClock {
public:
    CPacedClock(std::time_t start, int speed) : CSimulatedClock(start), m_speed(speed) {}

    bool SleepFor(std::chrono::milliseconds duration) override {
        return Pace(duration.count()) && CSimulatedClock::SleepFor(duration);
    }
    bool SleepToNextHalfSecond() override {
        return Pace(500 - NowMillis() % 500) && CSimulatedClock::SleepToNextHalfSecond();
    }
    void Interrupt() override {
        std::lock_guard lock(m_lock);
        m_interrupted = true;
        CSimulatedClock::Interrupt();
        m_changed.notify_all();
    }
    void ClearInterrupt() override {
        std::lock_guard lock(m_lock);
        m_interrupted = false;
        CSimulatedClock::ClearInterrupt();
    }

private:
    // Whether the real wait for `millis` of simulated time ran to its end.
    bool Pace(int64_t millis) {
        std::unique_lock lock(m_lock);
        return !m_changed.wait_for(lock, std::chrono::milliseconds(millis / m_speed),
                                   [this] { return m_interrupted; });
    }

    std::mutex m_lock;  // guards m_interrupted
    std::condition_variable m_changed;
    const int m_speed;
    bool m_interrupted = false;
};

// Monday 2026-03-02.
inline std::time_t Monday(int hour, int minute, int second) {
    return LocalTime(2026, 3, 2, hour, minute, second);
}

// What an emergency sends at its start, once.
inline const std::vector<std::string> kAllOn{"SendAudioCom: channels on: all", "SendPower: outlets on: all"};

inline std::string Clock(std::time_t at) {
    return LocalText(at, "%T");
}

// An event as "08:00:00 开始" with " [失败]" when it failed; a file's events carry no second (the
// playback's own pace), their detail instead. Whether the link was up is checked where the test
// brings it down.
inline std::string Line(const HistoryEventRow& event) {
    const bool file = event.kind >= HistoryKind::kFileStart && event.kind <= HistoryKind::kFileInterrupted;
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
    // With `power`, the station switches the machine off through it.
    std::string StartStation(std::time_t now, const TaskRow& row, std::optional<PlayMode> mode = {},
                             IPowerControl* power = nullptr) {
        const std::string id = InsertTask(database.Db(), row);
        if (mode)
            CTaskModeTable(database.Db())
                .SaveWithTask(FormatSql("update tb_memo set FM='1' where ID=%d", LeadingInt(id)),
                              LeadingInt(id), *mode);
        clock = std::make_unique<CPacedClock>(now, 20);
        if (power) shutdown = std::make_unique<CAutoShutdown>(database.Db(), *clock, *power);
        station = std::make_unique<CStation>(database.Db(), link, *clock, shutdown.get());
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
    std::unique_ptr<CAutoShutdown> shutdown;
    std::unique_ptr<CStation> station;
    CCountingObserver observer;
    bool shortFrameBytes = false;
};

using StationTest = CStationRig;
using HistoryTest = CStationRig;

// A task's list played in the task's own mode and stopped at the task's end, long before the
// file's; the operator's mode back and the task marked done. Its frames, tick by tick:
// SchedulerTest.StepsOfEachRuleInOrder ("a day"); on the wire: EndToEndTest.
TEST_F(StationTest, ATaskPlaysInItsOwnModeUntilItsEnd) {
    const std::string id = StartStation(
        Monday(7, 59, 48), Row("08:00:00-08:00:20 z1,2,5 p1010", {.playList = Fixture(kLongMp3)}),
        PlayMode::kSequence);
    CPlayback& playback = station->Playback();
    EXPECT_TRUE(Eventually(
        [&] { return playback.State().task == id && playback.State().status == PlayStatus::kPlaying; }));
    EXPECT_EQ(playback.List(), std::vector<std::string>{Fixture(kLongMp3)});
    EXPECT_EQ(playback.State().mode, PlayMode::kSequence);
    EXPECT_TRUE(Eventually([&] { return StoredTaskState(database.Db(), id) == sql::kStateDone; }));
    EXPECT_TRUE(Eventually([&] { return playback.State().status == PlayStatus::kStopped; }));
    EXPECT_EQ(playback.State().mode, PlayMode::kRepeatOne);
}

// Without a window the station switches the machine off at the set time, once the broadcast on
// the air has ended and its outlets are off (22:00:25), and logs each step. (The rules in full:
// AutoShutdownTest.)
TEST_F(StationTest, WithoutAWindowTheMachineIsSwitchedOffOnceTheBroadcastHasEnded) {
    struct : IPowerControl {
        bool PowerOff(std::string*) override {
            ++requests;
            return true;
        }
        std::atomic<int> requests{0};
    } power;
    CLogRecorder log;
    database.Db().ExecuteSql("update shut_down set 启用关机='1', 关机时间='22:0:0'");
    StartStation(Monday(21, 59, 50), Row("21:30:00-22:00:10 z1 p1000"), {}, &power);
    ASSERT_TRUE(log.WaitFor("AutoShutdown: power-off requested", 15s));
    EXPECT_GE(clock->Now(), Monday(22, 0, 26));
    EXPECT_EQ(power.requests, 1);
    std::vector<std::string> told;
    for (const LogLine& line : log.Items())
        if (line.message.starts_with("AutoShutdown:")) told.push_back(line.message.substr(0, 40));
    EXPECT_EQ(told, (std::vector<std::string>{"AutoShutdown: the machine powers off in ",
                                              "AutoShutdown: a broadcast on the air hol",
                                              "AutoShutdown: power-off requested"}));
    EXPECT_TRUE(Eventually([&] {
        return station->AutoShutdownView().deadline == LocalTime(2026, 3, 3, 22, 0, 0);
    })) << "tomorrow's";
    station->Shutdown();  // before the power control goes
}

// An emergency during two tasks: everything on, the alarm in place of the task's list; the end of
// one task and its power-down pass without a frame; the stop switches on what the task still on
// air needs, off all the rest, and plays its list again; a start at once after it is ignored.
TEST_F(StationTest, AnEmergencyHoldsEverythingOnAndItsEndRestoresWhatTheTaskOnAirNeeds) {
    const TaskRow longList{.playList = Fixture(kLongMp3)};
    const std::string shortTask =
        StartStation(Monday(8, 0, 1), Row("08:00:00-08:00:20 z1,2,5 p1010", longList));
    const std::string longTask = InsertTask(database.Db(), Row("08:00:00-08:10:00 z3 p0100", longList));
    ASSERT_FALSE(FramesUntil("SendAudioCom: channels on: 3").empty()) << "both late starts";
    CPlayback& playback = station->Playback();
    ASSERT_TRUE(Eventually(
        [&] { return !playback.State().task.empty() && playback.State().status == PlayStatus::kPlaying; }));

    const std::string alarm = Fixture(kV1RockMp3);  // two seconds, so the loop is heard
    playback.SetMode(PlayMode::kSequence);          // which would end after the one file
    station->StartEmergency(alarm);
    EXPECT_TRUE(station->InEmergency());
    EXPECT_EQ(FramesUntil(kAllOn.back()), kAllOn);
    EXPECT_TRUE(Eventually([&] {
        const PlaybackState state = playback.State();
        return state.status == PlayStatus::kPlaying && state.task.empty() &&
               playback.List() == std::vector<std::string>{alarm};
    })) << "the task's playback stopped, the alarm plays";

    // Past the short task's end and its power-down fifteen seconds later.
    const std::vector<std::string> held = ReadFrames([&](auto&) { return clock->Now() >= Monday(8, 0, 40); });
    for (const std::string& frame : held) EXPECT_EQ(frame.find("off"), std::string::npos) << frame;
    EXPECT_EQ(StoredTaskState(database.Db(), shortTask), sql::kStateDone) << "the schedule kept track";
    int lastPosition = 0;  // in seconds: the two-second alarm starts again when it falls back
    EXPECT_TRUE(Eventually([&] {
        const PlaybackState state = playback.State();
        return state.status == PlayStatus::kPlaying &&
               state.position < std::exchange(lastPosition, state.position);
    })) << "the alarm loops";
    EXPECT_EQ(playback.List(), std::vector<std::string>{alarm}) << "no list replaced it";

    station->StopEmergency();
    EXPECT_FALSE(station->InEmergency());
    station->StartEmergency(alarm);
    EXPECT_FALSE(station->InEmergency()) << "the second click of a double click on stop";
    EXPECT_EQ(
        FramesUntil("SendPower: outlets on: 2"),
        (std::vector<std::string>{"SendAudioCom: channels on: 3", "SendAudioCom: channels off: 1-2, 4-128",
                                  "SendPower: outlets on: 2"}));
    EXPECT_TRUE(Eventually([&] {
        return playback.State().task == longTask && playback.State().status == PlayStatus::kPlaying;
    }));
}

// The exit with a task on air and an outlet the operator switched on by hand: every receiver off,
// then the task's outlets, and the operator's stays on; a new start shows that one on.
TEST_F(StationTest, TheExitPowersDownWhatTheTaskSwitchedOnAndTheNextStartShowsWhatIsLeftOn) {
    StartStation(Monday(8, 0, 1), Row("08:00:00-08:10:00 z1 p0110", {.playList = Fixture(kLongMp3)}));
    ASSERT_FALSE(FramesUntil("SendAudioCom: channels on: 1").empty());
    EXPECT_TRUE(station->ToggleOutlet(4));
    EXPECT_EQ(FramesUntil("SendPower: outlets on: 2-4"),
              std::vector<std::string>{"SendPower: outlets on: 2-4"});
    const auto before = std::chrono::steady_clock::now();
    station->Shutdown();
    EXPECT_LT(std::chrono::steady_clock::now() - before, 3s);
    EXPECT_EQ(FramesUntil("SendPower: outlets on: 4"),
              (std::vector<std::string>{"SendAudioCom: channels off: all", "SendPower: outlets on: 4"}));

    database.Db().ExecuteSql("delete from tb_memo");  // nothing switches after the new start
    station = std::make_unique<CStation>(database.Db(), link, *clock);
    station->Start();
    std::string outlets;
    for (int outlet = 1; outlet <= 4; ++outlet) outlets += station->Outlet(outlet) ? '1' : '0';
    EXPECT_EQ(outlets, "0001");
}

// Two tasks overlap on the one output: the later one's list cuts the earlier one's off, and when it
// ends the earlier one's list resumes from the start of the file that was cut. The history names the
// task that cut it off, in the file's event and in the earlier broadcast's outcome.
TEST_F(StationTest, AnOverlappingTaskCutsTheEarlierListOffWhichResumesAfterIt) {
    const std::string early =
        StartStation(Monday(7, 59, 58),
                     Row("08:00:00-08:01:00 z9,10 p0000", {.name = "升旗", .playList = Fixture(kLongMp3)}));
    const std::string late = InsertTask(
        database.Db(),
        Row("08:00:10-08:00:30 z11,12 p0000", {.name = "课间操", .playList = Fixture(kV1RockMp3)}));
    CPlayback& playback = station->Playback();
    const auto playing = [&](const std::string& task) {
        const PlaybackState state = playback.State();
        return state.task == task && state.status == PlayStatus::kPlaying;
    };
    ASSERT_TRUE(Eventually([&] { return playing(early); }));
    ASSERT_TRUE(Eventually([&] { return playing(late); }));
    ASSERT_TRUE(Eventually([&] { return playing(early); })) << "after the later task's end";
    EXPECT_GE(clock->Now(), Monday(8, 0, 30));
    EXPECT_EQ(playback.List(), std::vector<std::string>{Fixture(kLongMp3)});
    ASSERT_TRUE(Eventually([&] { return StoredTaskState(database.Db(), early) == sql::kStateDone; }));
    ASSERT_TRUE(Eventually([&] { return playback.State().status == PlayStatus::kStopped; }));
    station->Shutdown();

    const HistoryRecord broadcast = Records().at(0);
    ASSERT_EQ(broadcast.taskId, early);
    EXPECT_EQ(broadcast.ending, static_cast<int>(HistoryKind::kEndInterrupted));
    std::vector<std::string> events = Events(broadcast.id);
    ASSERT_GE(events.size(), 6u);
    events.resize(6);
    const std::string file = Fixture(kLongMp3);
    EXPECT_EQ(events, (std::vector<std::string>{"08:00:00 开始", "播放文件 " + file,
                                                "文件被打断 " + file + "（被“课间操”打断）",
                                                "播放文件 " + file, "08:01:00 被打断", "文件播完 " + file}));
    EXPECT_EQ(CHistoryTable(database.Db()).Events(broadcast.id).at(4).detail, "被“课间操”打断");
}

// A live announcement over a task on air, with a test tone as the microphone: the ticked
// receivers on, the task paused, the chime and the voice at the output within a tenth of a
// second; at the end the receivers the task does not need go off and the task plays on. Then
// the task is deleted by anyone while on air: its receivers go off at once, its playback stops,
// its outlets go off fifteen seconds later; its line says so and its file ends there.
TEST_F(StationTest, PagingPausesTheTaskAndHandsTheReceiversBackThenTheTaskIsDeletedOnAir) {
    setenv("LUMETRA_PAGING_SOURCE", "audiotestsrc is-live=true wave=sine freq=440 volume=0.4", 1);
    const std::string id =
        StartStation(Monday(8, 0, 1), Row("08:00:00-08:10:00 z1,2,5 p1000", {.playList = Fixture(kLongMp3)}));
    ASSERT_FALSE(FramesUntil("SendAudioCom: channels on: 1-2, 5").empty());
    CPlayback& playback = station->Playback();
    ASSERT_TRUE(Eventually(
        [&] { return playback.State().task == id && playback.State().status == PlayStatus::kPlaying; }));

    CAnnouncer& announcer = station->Announcer();
    announcer.StartPaging(Channels({2, 7, 8}));
    EXPECT_EQ(FramesUntil("SendAudioCom: channels on: 2, 7-8"),
              std::vector<std::string>{"SendAudioCom: channels on: 2, 7-8"});
    ASSERT_TRUE(Eventually([&] { return announcer.IsLive() && announcer.Voice().Buffers() >= 20; }));
    EXPECT_EQ(playback.State().status, PlayStatus::kPaused);
    EXPECT_GE(announcer.ChimeBuffers(), 2 * CAnnouncer::kChimeTone.count() / 10) << "both tones played out";
    EXPECT_GT(announcer.Voice().PeakLevel(), 10000) << "the voice reaches the output";
    ASSERT_TRUE(announcer.Voice().LatencyMs().has_value());
    EXPECT_LT(*announcer.Voice().LatencyMs(), 100);

    announcer.StopPaging();
    EXPECT_EQ(FramesUntil("SendAudioCom: channels off: 7-8"),
              std::vector<std::string>{"SendAudioCom: channels off: 7-8"});
    EXPECT_TRUE(Eventually([&] { return playback.State().status == PlayStatus::kPlaying; }));
    EXPECT_EQ(playback.State().task, id);
    EXPECT_FALSE(announcer.IsOn());

    database.Db().ExecuteSql("delete from tb_memo");
    EXPECT_EQ(
        FramesUntil("ClosePower: all outlets off"),
        (std::vector<std::string>{"SendAudioCom: channels off: 1-2, 5", "ClosePower: all outlets off"}));
    ASSERT_TRUE(Eventually([&] { return HasEvent(HistoryKind::kPowerDown); }));
    EXPECT_EQ(playback.State().status, PlayStatus::kStopped);
    EXPECT_EQ(playback.State().task, id) << "what played stays shown";
    station->Shutdown();
    const HistoryRecord broadcast = Records().at(0);
    EXPECT_EQ(broadcast.ending, static_cast<int>(HistoryKind::kEndDeleted));
    EXPECT_EQ(broadcast.powerDown - broadcast.end, 15);
    const std::vector<std::string> events = Events(broadcast.id);
    ASSERT_EQ(events.size(), 5u);
    EXPECT_EQ(events[0] + events[1], "08:00:01 迟到开始播放文件 " + Fixture(kLongMp3));
    EXPECT_EQ(events[2].substr(8) + events[3], " 任务被删除文件播完 " + Fixture(kLongMp3));
    EXPECT_EQ(events[4].substr(8), " 关机");
}

// A talk right after another on the same receiver keeps it: the first talk's release, switched off
// at the next tick, must not cut the second one off.
TEST_F(StationTest, ATalkRightAfterAnotherKeepsItsReceiver) {
    setenv("LUMETRA_PAGING_SOURCE", "audiotestsrc is-live=true wave=sine freq=440 volume=0.4", 1);
    StartStation(Monday(8, 0, 0), Row("09:00:00-09:10:00 z1 p0000"));
    ASSERT_TRUE(Eventually([&] { return link.IsLinkUp(); }));
    CAnnouncer& announcer = station->Announcer();
    announcer.StartPaging(Channels({3}));
    ASSERT_FALSE(FramesUntil("SendAudioCom: channels on: 3").empty());
    ASSERT_TRUE(Eventually([&] { return announcer.IsLive(); }));
    announcer.StopPaging();
    announcer.StartPaging(Channels({3}));
    ASSERT_TRUE(Eventually([&] { return !announcer.IsLive(); }));
    ASSERT_TRUE(Eventually([&] { return announcer.IsLive(); })) << "the second talk, after its chime";
    const std::time_t ticksLater = clock->Now() + 3;
    std::vector<std::string> frames = ReadFrames([&](const auto&) { return clock->Now() >= ticksLater; });
    std::erase_if(frames,
                  [](const std::string& frame) { return frame.find("channels") == std::string::npos; });
    EXPECT_TRUE(frames.empty() || frames.back() == "SendAudioCom: channels on: 3")
        << testing::PrintToString(frames);
    announcer.StopPaging();
    EXPECT_FALSE(FramesUntil("SendAudioCom: channels off: 3").empty());
}

// A missing file, then one that plays; an operator switches a receiver on; the transmitter hangs
// up before the end, so the end and the power-down are queued with the link down.
TEST_F(HistoryTest, ABroadcastWithAMissingFileAManualSwitchAndAHangUp) {
    const std::string missing = "/nowhere/缺失的铃声.mp3";
    StartStation(Monday(7, 59, 30), {.start = "08:00:00",
                                     .end = "08:01:00",
                                     .playList = missing + "|" + Fixture(kLongMp3),
                                     .zones = ZoneText({1, 2}),
                                     .power = "1000"});
    ASSERT_TRUE(Eventually([&] { return HasEvent(HistoryKind::kFileStart); }));
    station->SetOperator("张老师", UserRole::kOperator);
    station->SwitchChannels(Channels({3}), true);
    simulator.Command("hangup");
    ASSERT_TRUE(Eventually([&] { return HasEvent(HistoryKind::kPowerDown); }));
    station->Shutdown();

    const std::vector<HistoryRecord> records = Records();
    ASSERT_EQ(records.size(), 3u);
    const HistoryRecord& broadcast = records[0];
    EXPECT_EQ(broadcast.title + " " + broadcast.zones, "早间广播 1-2");
    EXPECT_EQ(broadcast.ending, static_cast<int>(HistoryKind::kEnd));
    EXPECT_EQ(broadcast.failures, 1);
    EXPECT_GE(broadcast.linkDown, 3);
    EXPECT_EQ(
        Clock(broadcast.powerUp) + Clock(broadcast.start) + Clock(broadcast.end) + Clock(broadcast.powerDown),
        "07:59:5008:00:0008:01:0008:01:15");
    EXPECT_EQ(Events(broadcast.id),
              (std::vector<std::string>{"07:59:50 开机", "08:00:00 开始",
                                        "文件失败 无法播放“" + missing + "”：文件不存在。 [失败]",
                                        "播放文件 " + Fixture(kLongMp3), "08:01:00 结束",
                                        "文件播完 " + Fixture(kLongMp3), "08:01:15 关机"}));
    const std::vector<HistoryEventRow> events = CHistoryTable(database.Db()).Events(broadcast.id);
    for (size_t i = events.size() - 3; i < events.size(); ++i)
        EXPECT_FALSE(events[i].linkUp) << "after the hang-up: " << Line(events[i]);
    EXPECT_EQ(records[1].title + records[1].operatorName, "登录张老师");
    EXPECT_EQ(records[2].title + records[2].operatorName, "打开接收机张老师");
    EXPECT_EQ(Events(records[2].id).at(0).substr(8), " 打开接收机");
    EXPECT_GE(records[2].firstAt, Monday(8, 0, 0));
    const std::vector<HistoryRecord> withLink = Records(true);
    EXPECT_TRUE(std::any_of(withLink.begin(), withLink.end(), [&](const HistoryRecord& r) {
        return r.title == "通讯中断" && r.kind == RecordKind::kLink && r.firstAt >= records[2].firstAt;
    })) << "the hang-up has a line of its own";
    for (const HistoryEventRow& event : events)
        EXPECT_LE(event.at - broadcast.start, event.kind == HistoryKind::kFileStart ? 2 : 75) << Line(event);
}

// At the start executed tasks wait again, and at midnight once more, when the history's lines past
// the retention period go and the others stay; an emergency a killed Lumetra left open gets its end
// line at the start; the exit ends what is on air. The heartbeat:
// SendsAnnouncementsEmergenciesAndLogoffsNameTheOperator waits for it.
TEST_F(HistoryTest, StartAndMidnightResetTasksAndRemoveOldLinesAndTheExitEndsTheBroadcast) {
    CHistoryTable table(database.Db());
    table.SetRetentionDays(30);
    HistoryEvent action;
    action.kind = HistoryKind::kChannelsOn;
    action.at = Monday(23, 59, 55) - 30 * 24 * 3600;  // inside the period until midnight
    table.Write(1, true, action);
    action.at = Monday(12, 0, 0) - 29 * 24 * 3600;
    table.Write(2, true, action);
    action.kind = HistoryKind::kEmergencyStart;  // Lumetra was killed during it
    action.at = Monday(12, 0, 0) - 24 * 3600;
    table.Write(3, true, action);
    const std::string done = InsertTask(database.Db(), {.state = sql::kStateDone});
    StartStation(Monday(23, 59, 50), {.start = "00:00:10", .playList = "", .power = "1000"});
    EXPECT_EQ(StoredTaskState(database.Db(), done), sql::kStateIdle);
    EXPECT_GE(observer.tasksChanged.load(), 1);
    database.Db().ExecuteSql("update tb_memo set 状态='" + std::string(sql::kStateDone) +
                             "' where ID=" + done);
    EXPECT_TRUE(Eventually([&] { return StoredTaskState(database.Db(), done) == sql::kStateIdle; }));
    EXPECT_GE(clock->Now(), LocalTime(2026, 3, 3, 0, 0, 0)) << "not before midnight";
    ASSERT_TRUE(Eventually([&] { return HasEvent(HistoryKind::kStart); }));
    std::vector<HistoryRecord> records = Records();
    ASSERT_EQ(records.size(), 4u) << "the line 30 days and 5 seconds old went at midnight";
    EXPECT_EQ(records[0].id, 2);
    EXPECT_EQ(records[2].title + " " + Events(records[2].id).at(0) + " " +
                  CHistoryTable(database.Db()).Events(records[2].id).at(0).detail,
              "紧急广播结束 23:59:50 紧急广播结束 程序意外结束")
        << "the emergency the killed Lumetra left open ends at the next start";
    station->Shutdown();
    records = Records();
    const std::vector<std::string> events = Events(records.at(3).id);
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[0] + events[1], "00:00:00 开机00:00:10 开始");
    EXPECT_EQ(events[2].substr(8), " 程序退出");
    EXPECT_EQ(records[3].ending, static_cast<int>(HistoryKind::kEndExit));
    EXPECT_EQ(observer.databaseErrors.load(), 0);
}

// The operator's sends, announcements, emergencies and changes of operator with nothing on air:
// the frames reach the transmitter as sent (a short one byte for byte), each with a line naming
// who sent what where. A spoken file switches only its receivers, on and then off after it played
// out; paging without a microphone tells the operator and switches nothing; an emergency switches
// everything on (again at the next tick), stops a spoken text on air and refuses the operator's
// commands, and at its stop switches everything off. The exit sequence during an emergency (what a
// termination signal runs) switches every receiver and outlet off, ends the emergency's line and
// closes the port.
TEST_F(HistoryTest, SendsAnnouncementsEmergenciesAndLogoffsNameTheOperator) {
    shortFrameBytes = true;
    StartStation(Monday(9, 0, 0), {.start = "20:00:00", .end = "20:10:00"});
    ASSERT_TRUE(simulator.WaitForLine("SendSCOM", 5s).has_value()) << "connected";
    station->SetOperator("王老师", UserRole::kOperator);
    ASSERT_TRUE(Eventually([&] { return Records().size() == 1u; }));
    CAnnouncer& announcer = station->Announcer();
    const std::vector<std::string> allOn{kAllOn[0], kAllOn[1] + " [81 40 01 07 AC 0F E5]"};
    const char* const kCloseAll = "ClosePower: all outlets off [81 40 01 07 AC 80 6A]";
    std::string refusal;
    const struct {
        std::function<void()> send;
        std::vector<std::string> frames;  // "command: text", with the bytes of one under 20
        std::vector<std::string> lines;   // "title|operator|zones|detail"
    } cases[] = {
        {[&] {
             EXPECT_TRUE(station->SendFrequencies(Channels({1, 2, 3}), 98.5f, 88.0f));
         },
         {"SendFMCom: frequency 2 98.50 MHz, frequency 3 88.00 MHz: 1-3"},
         {"修改接收机频率|王老师|1-3|频率2 98.50 MHz，频率3 88.00 MHz：1-3"}},
        {[&] {
             station->SendVolume(Channels({5, 6, 9}), 12);
         },
         {"SendAudioCom: volume 12: 5-6, 9"},
         {"修改接收机音量|王老师|5-6, 9|音量12：5-6, 9"}},
        {[&] { EXPECT_TRUE(station->SendLedText("abc", 0, &refusal)); },
         {R"(SendLED: screen 1: \"abc\" [81 40 01 0A AD 01 61 62 63 87])"},
         {"发送LED文字|王老师||001CH：abc（LED记录1）"}},
        {[&] { EXPECT_FALSE(station->SendLedText(std::string(129, 'x'), 0, &refusal)); }, {}, {}},
        {[&] {
             announcer.Speak(Channels({4}), Fixture(kWav));
             EXPECT_TRUE(Eventually([&] { return announcer.Voice().Buffers() > 0; })) << "the file plays";
         },
         {"SendAudioCom: channels on: 4", "SendAudioCom: channels off: 4"},
         {"文字广播开始|王老师|4|4", "文字广播结束|王老师|4|4"}},
        {[&] {
             EXPECT_TRUE(announcer.TakeMessages().empty());
             setenv("LUMETRA_PAGING_SOURCE", "none", 1);
             announcer.StartPaging(Channels({3}));
             std::vector<std::string> messages;
             EXPECT_TRUE(Eventually([&] { return !(messages = announcer.TakeMessages()).empty(); }));
             EXPECT_EQ(messages, std::vector<std::string>{CAnnouncer::kNoMicrophoneText});
             announcer.StopPaging();
         },
         {},
         {}},
        {[&] {
             announcer.Speak(Channels({4}), Fixture(kLongMp3));
             EXPECT_EQ(FramesUntil("SendAudioCom: channels on: 4"),
                       std::vector<std::string>{"SendAudioCom: channels on: 4"});
             ASSERT_TRUE(Eventually([&] { return announcer.Voice().Buffers() > 0; }));
             station->StartEmergency(Fixture(kWav));
             EXPECT_TRUE(Eventually([&] { return !announcer.IsOn(); })) << "the spoken text stopped";
             EXPECT_FALSE(station->SwitchAllChannels(false));
             EXPECT_FALSE(station->SwitchChannels(Channels({2}), false));
             EXPECT_FALSE(station->ToggleOutlet(1));
             EXPECT_FALSE(station->SendVolume(Channels({1}), 3));
             EXPECT_FALSE(station->SendFrequencies(Channels({1}), 98.5f, 88.0f));
             EXPECT_FALSE(station->Playback().StopPlaying());
             announcer.Speak(Channels({5}),
                             Fixture(kWav));  // refused: its frame would come before the stop's
         },
         allOn,
         {"文字广播开始|王老师|4|4", "紧急广播开始|王老师|全部|" + Fixture(kWav), "文字广播结束|王老师|4|4"}},
        {[&] {
             station->StopEmergency();
             EXPECT_TRUE(
                 Eventually([&] { return station->Playback().State().status != PlayStatus::kPlaying; }));
         },
         {"SendAudioCom: channels off: all", kCloseAll},
         {"紧急广播结束|王老师||"}},
        {[&] { station->SetOperator("李老师", UserRole::kOperator); },
         {},
         {"注销|王老师||王老师", "登录|李老师||李老师"}},
        {[&] { station->SetOperator({}, UserRole::kOperator); }, {}, {"注销|李老师||李老师"}},
    };
    size_t seen = Records().size();
    for (const auto& c : cases) {
        c.send();
        EXPECT_EQ(ReadFrames([&](auto& f) { return f.size() == c.frames.size(); }), c.frames);
        ASSERT_TRUE(Eventually([&] { return Records().size() == seen + c.lines.size(); })) << c.lines.size();
        const std::vector<HistoryRecord> records = Records();
        std::vector<std::string> lines;
        for (auto r = records.begin() + static_cast<long>(seen); r != records.end(); ++r)
            lines.push_back(r->title + "|" + r->operatorName + "|" + r->zones + "|" +
                            CHistoryTable(database.Db()).Events(r->id).at(0).detail);
        EXPECT_EQ(lines, c.lines);
        EXPECT_FALSE(announcer.IsOn());
        seen += c.lines.size();
    }
    const auto led = [&] {
        return QueryRows(database.Db(), "select rowid as id, LedContent from LED", {"id", "LedContent"});
    };
    EXPECT_EQ(led(), std::vector<std::string>{"1,abc"}) << "the line names the row";
    EXPECT_NE(refusal, "");
    station->StartEmergency(Fixture(kWav));
    ASSERT_EQ(FramesUntil(allOn.back()), allOn)
        << "nothing the refusals or the paging without a microphone switched";
    station->Shutdown();
    EXPECT_EQ(FramesUntil(kCloseAll),
              (std::vector<std::string>{"SendAudioCom: channels off: all", std::string(kCloseAll)}));
    EXPECT_FALSE(link.IsRunning());
    const HistoryRecord ended = Records().back();
    EXPECT_EQ(ended.title + "|" + CHistoryTable(database.Db()).Events(ended.id).at(0).detail,
              "紧急广播结束|程序退出");
    EXPECT_FALSE(station->SendLedText("abc", 0, &refusal)) << "a text the closed port dropped is not sent";
    EXPECT_EQ(refusal, CTransmitterLink::kPortClosedText);
    EXPECT_EQ(led(), std::vector<std::string>{"1,abc"}) << "nor stored";
    EXPECT_NE(station->Playback().State().status, PlayStatus::kPlaying);
}

// A task's list plays in the task's own mode, on real GStreamer with a silent sink: six one-second
// files under each mode, all five playbacks at once; a task without a mode plays in the operator's,
// which comes back when the task stops.
// One playback and the entries it started, in order, as digits: each start is the playing flag
// going from off to on.
struct Watched {
    std::optional<PlayMode> taskMode;
    std::string expected;  // the start of what plays, and "." when it must stop after it
    CRecord<char> starts{};
    bool playing = false;  // on the playback's thread, the one that tells every change
    std::unique_ptr<CPlayback> playback{};
};

TEST(TaskPlayMode, SixFilesUnderEachMode) {
    setenv("LUMETRA_AUDIO_SINK", "fakesink", 1);
    test::KeepGstRegistryInBuildTree();
    test::TempDir dir;
    std::string list;
    for (int i = 0; i < 6; ++i) {
        const std::string path = dir.File("entry" + std::to_string(i) + ".mp3");
        test::WriteSilentMp3(path, 1);
        list += (i ? "|" : "") + path;
    }
    // The last has no mode of its own: the operator's, 单曲循环 on a fresh database.
    Watched cases[] = {{PlayMode::kSequence, "012345."},
                       {PlayMode::kLoop, "0123450"},
                       {PlayMode::kRepeatOne, "000"},
                       {PlayMode::kRandom, "0"},
                       {std::nullopt, "000"}};
    for (Watched& w : cases) {
        w.playback = std::make_unique<CPlayback>([&w] {
            const PlaybackState state = w.playback->State();
            const bool playing = state.status == PlayStatus::kPlaying;
            if (playing && !w.playing) w.starts.Add(static_cast<char>('0' + state.current));
            w.playing = playing;
        });
        w.playback->Start();
        w.playback->SetMode(PlayMode::kRepeatOne);
        w.playback->PlayTask("7", list, w.taskMode);
    }
    for (Watched& w : cases) {
        const bool stops = w.expected.back() == '.';
        const size_t count = stops ? w.expected.size() - 1 : std::max<size_t>(w.expected.size(), 4);
        EXPECT_TRUE(w.starts.WaitUntil(30s, [&](const std::vector<char>& s) { return s.size() >= count; }));
        EXPECT_TRUE(!stops || Eventually([&] { return w.playback->State().status == PlayStatus::kStopped; }));
        const std::vector<char> starts = w.starts.Items();
        const std::string played(starts.begin(), starts.end());
        EXPECT_EQ(stops ? played + "." : played.substr(0, w.expected.size()), w.expected)
            << "mode " << (w.taskMode ? static_cast<int>(*w.taskMode) : 0);
        if (w.taskMode == PlayMode::kRandom) {
            EXPECT_EQ(played.find_first_not_of("012345"), std::string::npos) << played;
        }
    }
    for (Watched& w : cases) {
        EXPECT_EQ(w.playback->State().mode, w.taskMode.value_or(PlayMode::kRepeatOne));
        w.playback->StopTask("7");
        w.playback->Flush();
        EXPECT_EQ(w.playback->State().mode, PlayMode::kRepeatOne) << "the operator's mode comes back";
        w.playback->Stop();
    }
}

}  // namespace
}  // namespace lumetra
