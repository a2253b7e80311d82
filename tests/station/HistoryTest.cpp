// The broadcast history as the station writes it: a real database file, the transmitter simulator
// on a pseudo-terminal, GStreamer with a silent sink and time twenty times faster than the wall
// clock. Each test reads back the lines and events the history holds, in order, with their seconds.
#include <climits>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "store/HistoryTable.h"
#include "tests/station/StationRig.h"
#include "tests/support/LocalTime.h"

namespace lumetra {
namespace {

using namespace std::chrono_literals;
using namespace test;

std::string Clock(std::time_t at) {
    return LocalText(at, "%T");
}

// An event as "08:00:00 开始" with " [断]" when the link was down and " [失败]" when it failed;
// a file's events carry no second (the playback's own pace), their detail instead.
std::string Line(const HistoryEventRow& event) {
    const bool file = event.kind >= HistoryKind::kFileStart && event.kind <= HistoryKind::kFileFailed;
    std::string line = file ? std::string(HistoryKindText(event.kind)) + " " + event.detail
                            : Clock(event.at) + " " + HistoryKindText(event.kind);
    if (!event.linkUp) line += " [断]";
    if (event.failed) line += " [失败]";
    return line;
}

class HistoryTest : public CStationRig {
protected:
    // Away for a minute after a hang-up: the rest of the broadcast goes out with the link down.
    HistoryTest() : CStationRig({"--down-for", "60"}) {}

    // A loaded machine may miss a reply and see the link go down and up again: those lines, and
    // the link marks of events, are checked only where the test brings the link down itself.
    std::vector<HistoryRecord> Records(bool withLink = false) {
        std::vector<HistoryRecord> records = CHistoryTable(database.Db()).Records(0, INT_MAX);
        if (!withLink) std::erase_if(records, [](const auto& r) { return r.kind == RecordKind::kLink; });
        return records;
    }
    std::vector<std::string> Events(int64_t record) {
        std::vector<std::string> lines;
        for (HistoryEventRow event : CHistoryTable(database.Db()).Events(record)) {
            event.linkUp = true;
            lines.push_back(Line(event));
        }
        return lines;
    }
    bool HasEvent(HistoryKind kind) {
        for (const HistoryRecord& record : Records())
            for (const HistoryEventRow& event : CHistoryTable(database.Db()).Events(record.id))
                if (event.kind == kind) return true;
        return false;
    }
};

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
    station->SetOperator("张老师");
    station->SwitchChannels(Channels({3}), true);
    simulator.Command("hangup");
    ASSERT_TRUE(Eventually([&] { return HasEvent(HistoryKind::kPowerDown); }));
    station->Shutdown();

    const std::vector<HistoryRecord> records = Records();
    ASSERT_EQ(records.size(), 3u);
    const HistoryRecord& broadcast = records[0];
    EXPECT_EQ(broadcast.title, "早间广播");
    EXPECT_EQ(broadcast.zones, "1-2");
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
    EXPECT_EQ(records[2].title, "打开接收机");
    EXPECT_EQ(records[2].operatorName, "张老师");
    EXPECT_EQ(Events(records[2].id).at(0).substr(8), " 打开接收机");
    EXPECT_GE(records[2].firstAt, Monday(8, 0, 0));
    const std::vector<HistoryRecord> withLink = Records(true);
    EXPECT_TRUE(std::any_of(withLink.begin(), withLink.end(), [&](const HistoryRecord& r) {
        return r.title == "通讯中断" && r.kind == RecordKind::kLink && r.firstAt >= records[2].firstAt;
    })) << "the hang-up has a line of its own";
    for (const HistoryEventRow& event : events)
        EXPECT_LE(event.at - broadcast.start, event.kind == HistoryKind::kFileStart ? 2 : 75) << Line(event);
}

// Deleted by anyone while on air: its receivers go off at once, its playback stops, its outlets go
// off fifteen seconds later; the line says so and its file ends there.
TEST_F(HistoryTest, ATaskDeletedOnAirIsSwitchedOffFallsSilentAndEndsItsLineAsDeleted) {
    const std::string id =
        StartStation(Monday(8, 0, 30), Row("z1,2,5 p1010", {.playList = Fixture(kLongMp3)}));
    ASSERT_FALSE(FramesUntil("SendAudioCom: channels on: 1-2, 5").empty());  // a late start
    CPlayback& playback = station->Playback();
    ASSERT_TRUE(Eventually([&] { return playback.State().playing && HasEvent(HistoryKind::kFileStart); }));
    database.Db().ExecuteSql("delete from tb_memo");
    EXPECT_EQ(
        FramesUntil("ClosePower: all outlets off"),
        (std::vector<std::string>{"SendAudioCom: channels off: 1-2, 5", "ClosePower: all outlets off"}));
    EXPECT_FALSE(playback.State().playing);
    EXPECT_EQ(playback.State().task, id) << "what played stays shown";
    ASSERT_TRUE(Eventually([&] { return HasEvent(HistoryKind::kPowerDown); }));
    station->Shutdown();
    const std::vector<HistoryRecord> records = Records();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].ending, static_cast<int>(HistoryKind::kEndDeleted));
    EXPECT_EQ(records[0].powerDown - records[0].end, 15);
    const std::vector<std::string> events = Events(records[0].id);
    ASSERT_EQ(events.size(), 5u);
    EXPECT_EQ(events[0] + events[1], "08:00:30 迟到开始播放文件 " + Fixture(kLongMp3));
    EXPECT_EQ(events[2].substr(8) + events[3], " 任务被删除文件播完 " + Fixture(kLongMp3));
    EXPECT_EQ(events[4].substr(8), " 关机");
}

// At the start executed tasks wait again, and at midnight once more, when the history's lines past
// the retention period go and the others stay; the heartbeat goes out every three seconds; the
// exit ends what is on air.
TEST_F(HistoryTest, StartAndMidnightResetTasksAndRemoveOldLinesAndTheExitEndsTheBroadcast) {
    CHistoryTable table(database.Db());
    table.SetRetentionDays(30);
    HistoryEvent action;
    action.kind = HistoryKind::kChannelsOn;
    action.at = Monday(23, 59, 55) - 30 * 24 * 3600;  // inside the period until midnight
    table.Write(1, true, action);
    action.at = Monday(12, 0, 0) - 29 * 24 * 3600;
    table.Write(2, true, action);
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
    ASSERT_EQ(records.size(), 2u) << "the line 30 days and 5 seconds old went at midnight";
    EXPECT_EQ(records[0].id, 2);
    int heartbeats = 0;
    for (const std::string& line : simulator.History())
        heartbeats += txsim::JsonField(line, "command") == "SendSCOM";
    for (int i = 0; i < 3; ++i) heartbeats += simulator.WaitForLine("SendSCOM", 2s).has_value();
    EXPECT_GE(heartbeats, 3);
    station->Shutdown();
    records = Records();
    const std::vector<std::string> events = Events(records.at(1).id);
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[0] + events[1], "00:00:00 开机00:00:10 开始");
    EXPECT_EQ(events[2].substr(8), " 程序退出");
    EXPECT_EQ(records[1].ending, static_cast<int>(HistoryKind::kEndExit));
    EXPECT_EQ(observer.databaseErrors.load(), 0);
}

// An emergency with nothing on air, after a login: everything on (again at the next tick), and at
// its stop everything off; the operator's line of its start (over every zone, with its file) and
// of its end. The exit sequence during an emergency (what a termination signal runs) still
// switches every receiver off and closes the port.
TEST_F(HistoryTest, AnEmergencyWithoutTasksOrAtTheExitEndsWithEverythingOffAndIsRecorded) {
    StartStation(Monday(9, 0, 0), {.start = "20:00:00", .end = "20:10:00"});
    ASSERT_TRUE(simulator.WaitForLine("SendSCOM", 5s).has_value()) << "the schedule runs";
    station->SetOperator("值班员");
    station->StartEmergency(Fixture(kWav));
    EXPECT_EQ(FramesUntil(kAllOn.back()), kAllOn);
    EXPECT_EQ(FramesUntil(kAllOn.back()), kAllOn);
    station->StopEmergency();
    EXPECT_EQ(FramesUntil("ClosePower: all outlets off"),
              (std::vector<std::string>{"SendAudioCom: channels off: all", "ClosePower: all outlets off"}));
    EXPECT_TRUE(Eventually([&] { return !station->Playback().State().playing; }));
    ASSERT_TRUE(Eventually([&] { return Records().size() == 3u; }));
    const std::vector<HistoryRecord> records = Records();
    EXPECT_EQ(records[0].title + records[0].operatorName, "登录值班员");
    EXPECT_EQ(records[1].title + records[1].zones + records[1].operatorName, "紧急广播开始全部值班员");
    EXPECT_EQ(CHistoryTable(database.Db()).Events(records[1].id).at(0).detail, Fixture(kWav));
    EXPECT_EQ(records[2].title, "紧急广播结束");

    station->StartEmergency(Fixture(kWav));
    ASSERT_EQ(FramesUntil(kAllOn.back()), kAllOn);
    station->Shutdown();
    EXPECT_FALSE(FramesUntil("SendAudioCom: channels off: all").empty());
    EXPECT_FALSE(link.IsRunning());
    EXPECT_FALSE(station->Playback().State().playing);
}

// The operator's sends, announcements and the changes of operator: the frames reach the
// transmitter as sent (a short one byte for byte), each with a line naming who sent what where.
// A spoken file switches only its receivers, on and then off after it played out; paging without
// a microphone tells the operator and switches nothing; at the exit only the exit's frame follows.
TEST_F(HistoryTest, SendsAnnouncementsAndLogoffsNameTheOperator) {
    shortFrameBytes = true;
    StartStation(Monday(9, 0, 0), {.start = "20:00:00", .end = "20:10:00"});
    station->SetOperator("王老师");
    ASSERT_TRUE(Eventually([&] { return Records().size() == 1u; }));
    CAnnouncer& announcer = station->Announcer();
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
        {[&] { station->SetOperator("李老师"); }, {}, {"注销|王老师||王老师", "登录|李老师||李老师"}},
        {[&] { station->SetOperator({}); }, {}, {"注销|李老师||李老师"}},
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
    CRecordset led(database.Db());
    led.Open("select rowid as id from LED where LedContent='abc'");
    EXPECT_EQ(led.GetFieldText("id"), "1") << "the line names the row";
    EXPECT_NE(refusal, "");
    station->Shutdown();
    EXPECT_EQ(FramesUntil("SendAudioCom: channels off: all"),
              std::vector<std::string>{"SendAudioCom: channels off: all"})
        << "nothing the refusals or the paging without a microphone switched";
}

}  // namespace
}  // namespace lumetra
