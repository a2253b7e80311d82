// The station alone, without any widget: a real database file, the transmitter simulator on a
// pseudo-terminal, GStreamer with a silent sink, and time running twenty times faster than the
// wall clock. What reaches the transmitter is read frame by frame from the simulator.
#include <string>
#include <vector>

#include "store/DbError.h"
#include "store/TaskModeTable.h"
#include "tests/station/StationRig.h"

namespace lumetra {
namespace {

using namespace std::chrono_literals;
using namespace test;

// Counts what the station tells the pages.
class CCountingObserver : public IStationObserver {
public:
    void Notify(WindowMessage message) override {
        if (message == WindowMessage::kTasksChanged) ++tasksChanged;
    }
    void ShowDatabaseError(const std::string&) override { ++databaseErrors; }
    std::atomic<int> tasksChanged{0}, databaseErrors{0};
};

class StationTest : public CStationRig {
protected:
    // The frames that reach the transmitter from now on, as "command: text", without heartbeats,
    // until `done` holds for them.
    template <typename F>
    std::vector<std::string> ReadFrames(F done) {
        std::vector<std::string> frames;
        while (!done(frames)) {
            const auto line = simulator.ReadLine(50ms);
            if (line && txsim::JsonField(*line, "event") == "frame" &&
                txsim::JsonField(*line, "command") != "SendSCOM")
                frames.push_back(txsim::JsonField(*line, "command") + ": " + txsim::JsonField(*line, "text"));
        }
        return frames;
    }
    // ... until `last` has come; empty when it does not come in time.
    std::vector<std::string> FramesUntil(const std::string& last, std::chrono::milliseconds limit = 15s) {
        const auto end = std::chrono::steady_clock::now() + limit;
        const auto came = [&](const std::vector<std::string>& f) { return !f.empty() && f.back() == last; };
        const std::vector<std::string> frames =
            ReadFrames([&](auto& f) { return came(f) || std::chrono::steady_clock::now() >= end; });
        return came(frames) ? frames : std::vector<std::string>{};
    }
    std::string StartStation(std::time_t now, const TaskRow& row) {
        return CStationRig::StartStation(now, row, &observer);
    }

    CCountingObserver observer;
};

// From the power-up to the exit: outlets, then receivers half a second later (the second tick of
// the second repeats both), the task's list played, receivers and outlets off, and at the exit
// every receiver off.
TEST_F(StationTest, ATaskFromPowerUpToTheExitOnTheWire) {
    const std::string id =
        StartStation(Monday(7, 59, 48), Row("08:00:00-08:00:20 z1,2,5 p1010", {.playList = Fixture(kWav)}));
    EXPECT_EQ(FramesUntil("SendAudioCom: channels on: 1-2, 5"),
              (std::vector<std::string>{"SendPower: outlets on: 1, 3", "SendAudioCom: channels on: 1-2, 5"}));
    CPlayback& playback = station->Playback();
    EXPECT_TRUE(Eventually(
        [&] { return playback.State().task == id && playback.State().status == PlayStatus::kPlaying; }));
    EXPECT_EQ(playback.List(), std::vector<std::string>{Fixture(kWav)});
    const std::vector<std::string> end = FramesUntil("ClosePower: all outlets off");
    ASSERT_FALSE(end.empty());
    EXPECT_EQ(std::count(end.begin(), end.end(), "SendAudioCom: channels off: 1-2, 5"), 2) << end.size();
    EXPECT_EQ(end.front(), "SendPower: outlets on: 1, 3") << "the power-up's second tick";
    EXPECT_EQ(playback.State().status, PlayStatus::kStopped) << "stopped at the end";
    EXPECT_EQ(StoredTaskState(database.Db(), id), sql::kStateDone);
    station->Shutdown();
    EXPECT_FALSE(FramesUntil("SendAudioCom: channels off: all", 3s).empty());
    EXPECT_FALSE(link.IsRunning());
}

// A task with its own play mode is handed to the playback in it; the operator's mode returns at its end.
TEST_F(StationTest, ATaskPlaysInItsOwnMode) {
    const std::string id = InsertTask(database.Db(), Row("08:00:00-08:00:10", {.playList = Fixture(kWav)}));
    ASSERT_TRUE(CTaskModeTable(database.Db())
                    .SaveWithTask(FormatSql("update tb_memo set FM='1' where ID=%d", LeadingInt(id)),
                                  LeadingInt(id), PlayMode::kSequence));
    clock = std::make_unique<CPacedClock>(Monday(7, 59, 58), 20);
    station = std::make_unique<CStation>(database.Db(), link, *clock);
    station->Start();
    CPlayback& playback = station->Playback();
    EXPECT_TRUE(Eventually([&] { return playback.State().task == id; }));
    EXPECT_EQ(playback.State().mode, PlayMode::kSequence);
    EXPECT_TRUE(Eventually([&] { return playback.State().mode == PlayMode::kRepeatOne; }));
    station->Shutdown();
}

// Deleted by anyone while on air: its receivers go off at once, its playback stops, its outlets
// go off fifteen seconds later.
TEST_F(StationTest, ATaskDeletedOnAirIsSwitchedOffAndFallsSilent) {
    const std::string id =
        StartStation(Monday(8, 0, 30), Row("z1,2,5 p1010", {.playList = Fixture(kV1RockMp3)}));
    ASSERT_FALSE(FramesUntil("SendAudioCom: channels on: 1-2, 5").empty());  // a late start
    CPlayback& playback = station->Playback();
    ASSERT_TRUE(Eventually([&] { return playback.State().status == PlayStatus::kPlaying; }));
    database.Db().ExecuteSql("delete from tb_memo");
    EXPECT_EQ(
        FramesUntil("ClosePower: all outlets off"),
        (std::vector<std::string>{"SendAudioCom: channels off: 1-2, 5", "ClosePower: all outlets off"}));
    EXPECT_EQ(playback.State().status, PlayStatus::kStopped);
    EXPECT_EQ(playback.State().task, id) << "what played stays shown";
}

// At the start executed tasks wait again, and during the minute 00:00 once more; the heartbeat
// goes out every three seconds.
TEST_F(StationTest, StartAndMidnightResetExecutedTasksAndTheHeartbeatGoesOn) {
    const std::string id = StartStation(Monday(23, 59, 50), {.state = sql::kStateDone});
    EXPECT_EQ(StoredTaskState(database.Db(), id), sql::kStateIdle);
    EXPECT_GE(observer.tasksChanged.load(), 1);
    database.Db().ExecuteSql("update tb_memo set 状态='" + std::string(sql::kStateDone) + "'");
    EXPECT_TRUE(Eventually([&] { return StoredTaskState(database.Db(), id) == sql::kStateIdle; }));
    EXPECT_GE(clock->Now(), LocalTime(2026, 3, 3, 0, 0, 0)) << "not before midnight";
    int heartbeats = 0;
    for (const std::string& line : simulator.History())
        heartbeats += txsim::JsonField(line, "command") == "SendSCOM";
    for (int i = 0; i < 3; ++i) heartbeats += simulator.WaitForLine("SendSCOM", 2s).has_value();
    EXPECT_GE(heartbeats, 3);
    EXPECT_EQ(observer.databaseErrors.load(), 0);
}

const std::vector<std::string> kAllOn{"SendAudioCom: channels on: all", "SendPower: outlets on: all"};

// An emergency during two tasks: everything on, the alarm in place of the task's list; the end of
// one task and its power-down pass without a frame; the stop switches off all but what the task
// still on air needs and plays its list again.
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
    EXPECT_EQ(FramesUntil(kAllOn.back()), kAllOn) << "once more after the next tick";
    EXPECT_TRUE(Eventually([&] {
        const PlaybackState state = playback.State();
        return state.status == PlayStatus::kPlaying && state.task.empty() &&
               playback.List() == std::vector<std::string>{alarm};
    })) << "the task's playback stopped, the alarm plays";

    // Past the short task's end and its power-down fifteen seconds later.
    const std::vector<std::string> held = ReadFrames([&](auto&) { return clock->Now() >= Monday(8, 0, 40); });
    for (const std::string& frame : held) EXPECT_EQ(frame.find("off"), std::string::npos) << frame;
    EXPECT_EQ(StoredTaskState(database.Db(), shortTask), sql::kStateDone) << "the schedule kept track";
    EXPECT_FALSE(Eventually([&] { return playback.State().status != PlayStatus::kPlaying; }, 3s))
        << "the alarm loops";
    EXPECT_EQ(playback.List(), std::vector<std::string>{alarm}) << "no list replaced it";

    station->StopEmergency();
    EXPECT_FALSE(station->InEmergency());
    EXPECT_EQ(
        FramesUntil("SendPower: outlets on: 2"),
        (std::vector<std::string>{"SendAudioCom: channels off: 1-2, 4-128", "SendPower: outlets on: 2"}));
    EXPECT_TRUE(Eventually([&] {
        return playback.State().task == longTask && playback.State().status == PlayStatus::kPlaying;
    }));
}

// Stopped with nothing on air: everything goes off. The exit sequence during an emergency (what
// a termination signal runs) still switches every receiver off and closes the port.
TEST_F(StationTest, AnEmergencyWithoutTasksOrAtTheExitEndsWithEverythingOff) {
    StartStation(Monday(9, 0, 0), {});
    ASSERT_TRUE(simulator.WaitForLine("SendSCOM", 5s).has_value()) << "the schedule runs";
    station->StartEmergency(Fixture(kWav));
    EXPECT_EQ(FramesUntil(kAllOn.back()), kAllOn);
    EXPECT_EQ(FramesUntil(kAllOn.back()), kAllOn);
    station->StopEmergency();
    EXPECT_EQ(FramesUntil("ClosePower: all outlets off"),
              (std::vector<std::string>{"SendAudioCom: channels off: all", "ClosePower: all outlets off"}));
    EXPECT_TRUE(Eventually([&] { return station->Playback().State().status != PlayStatus::kPlaying; }));

    station->StartEmergency(Fixture(kWav));
    ASSERT_EQ(FramesUntil(kAllOn.back()), kAllOn);
    station->Shutdown();
    EXPECT_FALSE(FramesUntil("SendAudioCom: channels off: all", 3s).empty());
    EXPECT_FALSE(link.IsRunning());
    EXPECT_NE(station->Playback().State().status, PlayStatus::kPlaying);
}

// A live announcement over a task on air, with a test tone as the microphone: the ticked
// receivers on, the task paused, the chime and the voice at the output within a tenth of a
// second; at the end the receivers the task does not need go off and the task plays on.
TEST_F(StationTest, PagingPausesTheTaskAndHandsTheReceiversBack) {
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
    unsetenv("LUMETRA_PAGING_SOURCE");
}

// A spoken file to the ticked receivers: on, the file played out, off again. Paging without a
// microphone: the operator is told, and nothing is switched.
TEST_F(StationTest, AnnouncementsWithoutATaskSwitchOnlyTheTickedReceivers) {
    StartStation(Monday(9, 0, 0), {});
    ASSERT_TRUE(simulator.WaitForLine("SendSCOM", 5s).has_value()) << "connected";
    CAnnouncer& announcer = station->Announcer();
    announcer.Speak(Channels({4}), Fixture(kWav));
    EXPECT_FALSE(FramesUntil("SendAudioCom: channels on: 4").empty());
    ASSERT_TRUE(Eventually([&] { return announcer.Voice().Buffers() > 0; }));
    EXPECT_FALSE(FramesUntil("SendAudioCom: channels off: 4", 10s).empty()) << "after the file's end";
    EXPECT_FALSE(announcer.IsOn());
    EXPECT_TRUE(announcer.TakeMessages().empty());

    setenv("LUMETRA_PAGING_SOURCE", "none", 1);
    announcer.StartPaging(Channels({3}));
    std::vector<std::string> messages;
    EXPECT_TRUE(Eventually([&] {
        for (std::string& text : announcer.TakeMessages()) messages.push_back(text);
        return !messages.empty();
    }));
    EXPECT_EQ(messages, std::vector<std::string>{CAnnouncer::kNoMicrophoneText});
    announcer.StopPaging();
    station->Shutdown();
    EXPECT_EQ(FramesUntil("SendAudioCom: channels off: all", 3s),
              std::vector<std::string>{"SendAudioCom: channels off: all"})
        << "only the exit sequence's frame";
    unsetenv("LUMETRA_PAGING_SOURCE");
}

}  // namespace
}  // namespace lumetra
