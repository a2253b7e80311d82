// The station alone, without any widget: a real database file, the transmitter simulator on a
// pseudo-terminal, GStreamer with a silent sink, and time running twenty times faster than the
// wall clock. What reaches the transmitter is read frame by frame from the simulator.
#include <string>
#include <utility>
#include <vector>

#include "tests/station/StationRig.h"

namespace lumetra {
namespace {

using namespace std::chrono_literals;
using namespace test;

using StationTest = CStationRig;

// From the power-up to the exit: outlets, then receivers half a second later (the second tick of
// the second repeats both), the task's list played in the task's own mode, receivers and outlets
// off, the operator's mode back, and at the exit every receiver off.
TEST_F(StationTest, ATaskFromPowerUpToTheExitOnTheWire) {
    const std::string id =
        StartStation(Monday(7, 59, 48), Row("08:00:00-08:00:20 z1,2,5 p1010", {.playList = Fixture(kWav)}),
                     PlayMode::kSequence);
    EXPECT_EQ(FramesUntil("SendAudioCom: channels on: 1-2, 5"),
              (std::vector<std::string>{"SendPower: outlets on: 1, 3", "SendAudioCom: channels on: 1-2, 5"}));
    CPlayback& playback = station->Playback();
    EXPECT_TRUE(Eventually(
        [&] { return playback.State().task == id && playback.State().status == PlayStatus::kPlaying; }));
    EXPECT_EQ(playback.List(), std::vector<std::string>{Fixture(kWav)});
    EXPECT_EQ(playback.State().mode, PlayMode::kSequence);
    const std::vector<std::string> end = FramesUntil("ClosePower: all outlets off");
    ASSERT_FALSE(end.empty());
    EXPECT_EQ(std::count(end.begin(), end.end(), "SendAudioCom: channels off: 1-2, 5"), 2) << end.size();
    EXPECT_EQ(end.front(), "SendPower: outlets on: 1, 3") << "the power-up's second tick";
    EXPECT_FALSE(playback.State().playing) << "stopped at the end, before the file's";
    EXPECT_EQ(playback.State().mode, PlayMode::kRepeatOne);
    EXPECT_EQ(StoredTaskState(database.Db(), id), sql::kStateDone);
    station->Shutdown();
    EXPECT_FALSE(FramesUntil("SendAudioCom: channels off: all").empty());
    EXPECT_FALSE(link.IsRunning());
}

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
    int lastPosition = 0;  // in seconds: the two-second alarm starts again when it falls back
    EXPECT_TRUE(Eventually([&] {
        const PlaybackState state = playback.State();
        return state.playing && state.position < std::exchange(lastPosition, state.position);
    })) << "the alarm loops";
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
}

}  // namespace
}  // namespace lumetra
