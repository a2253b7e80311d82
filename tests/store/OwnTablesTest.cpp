// Lumetra's own tables: a stored database is untouched until one is first written, and each table
// then sets its bit of user_version; a task and its play mode are stored together or not at all;
// IDs used again never inherit a mode; the history's lines and events (HistoryTableTest).
#include <gtest/gtest.h>

#include <climits>

#include "store/CalendarTable.h"
#include "store/HistoryTable.h"
#include "store/OwnTables.h"
#include "store/TaskModeTable.h"
#include "store/TaskTable.h"
#include "tests/support/TestDatabase.h"

namespace lumetra {
namespace {

TaskRecord Task(const char* name) {
    TaskRecord t;
    t.name = name, t.date = "2026-10-05", t.startTime = "08:00:00", t.endTime = "08:30:00";
    t.repeatText = "天", t.repeatCode = "2", t.state = "未执行", t.power = "0000";
    return t;
}

int LastId(CDatabase& db) {
    return std::stoi(test::QueryRows(db, "select max(ID) as ID from tb_memo", {"ID"}).at(0));
}

TEST(OwnTables, CreatedOnFirstWriteAndATaskAndItsModeStoredTogetherOrNotAtAll) {
    test::TestDatabase database;
    CDatabase& db = database.Db();
    CTaskModeTable modes(db);
    EXPECT_EQ(modes.ReadAll().size(), 0u);
    EXPECT_FALSE(modes.Find(1));
    EXPECT_EQ(OwnSchemaVersion(db), 0) << "reading creates nothing";

    // A refused task statement keeps nothing: no row, no table, no version.
    EXPECT_THROW(modes.SaveWithTask("insert into tb_memo (NoSuchColumn) values (1)", -1, PlayMode::kLoop),
                 CDbError);
    EXPECT_EQ(OwnSchemaVersion(db), 0);
    EXPECT_EQ(CTaskTable(db).ReadAll().size(), 0u);

    ASSERT_TRUE(modes.SaveWithTask(CTaskTable::InsertStatement(Task("早操")), -1, PlayMode::kSequence));
    const int first = LastId(db);
    EXPECT_EQ(modes.Find(first), PlayMode::kSequence);
    EXPECT_EQ(OwnSchemaVersion(db), 2);
    ASSERT_TRUE(modes.SaveWithTask(CTaskTable::InsertStatement(Task("午间")), -1, PlayMode::kRandom));
    const int second = LastId(db);
    ASSERT_TRUE(modes.SaveWithTask(CTaskTable::UpdateStatement(Task("早操"), first), first, PlayMode::kLoop));
    EXPECT_EQ(modes.ReadAll(),
              (std::map<int, PlayMode>{{first, PlayMode::kLoop}, {second, PlayMode::kRandom}}));

    // The row is deleted meanwhile: the update changes nothing and nothing is stored.
    db.ExecuteSql("delete from tb_memo where 任务名称='早操'");
    EXPECT_FALSE(
        modes.SaveWithTask(CTaskTable::UpdateStatement(Task("早操"), first), first, PlayMode::kRepeatOne));
    EXPECT_EQ(modes.Find(first), PlayMode::kLoop) << "nothing of the refused save is kept";
    // The next save drops the deleted task's mode, so an ID given out again starts without one.
    ASSERT_TRUE(
        modes.SaveWithTask(CTaskTable::UpdateStatement(Task("午间"), second), second, PlayMode::kRandom));
    EXPECT_EQ(modes.ReadAll(), (std::map<int, PlayMode>{{second, PlayMode::kRandom}}));

    CCalendarTable(db).Add({0, "2026-10-01", "2026-10-07", 0, "国庆节"});
    EXPECT_EQ(OwnSchemaVersion(db), 3) << "one bit per table";

    // The history: reading it and its default period create nothing; its first event creates its
    // tables, its first setting the settings table.
    const std::vector<std::string> schema = test::QueryRows(db, "select name from sqlite_master", {"name"});
    CHistoryTable history(db);
    EXPECT_EQ(history.RetentionDays(), CHistoryTable::kDefaultRetentionDays);
    EXPECT_TRUE(history.Records(0, INT_MAX).empty());
    EXPECT_EQ(history.LastRecordId(), 0);
    EXPECT_EQ(history.Purge(INT_MAX), 0);
    EXPECT_EQ(test::QueryRows(db, "select name from sqlite_master", {"name"}), schema);
    history.Write(1, true, HistoryEvent{});
    EXPECT_EQ(OwnSchemaVersion(db), 3 | 4);
    history.SetRetentionDays(30);
    EXPECT_EQ(OwnSchemaVersion(db), 3 | 4 | 8);
}

HistoryEvent At(std::time_t at, HistoryKind kind, std::string detail = {}) {
    HistoryEvent event;
    event.at = at;
    event.kind = kind;
    event.detail = std::move(detail);
    return event;
}

// A line's times and failures gathered from its events, its texts stored as typed; an event the
// table refuses (a second start of a line) leaves nothing half stored; old lines go with their
// events, and a line that ends after the cut stays whole. Zones, link losses and endings as the
// station writes them: HistoryTest.ABroadcastWithAMissingFileAManualSwitchAndAHangUp.
TEST(HistoryTableTest, ALineGathersItsEventsAndOldLinesGoWithTheirs) {
    test::TestDatabase database;
    CHistoryTable table(database.Db());
    HistoryEvent open = At(100, HistoryKind::kPowerUp);
    open.taskId = "7";
    open.title = "it's 早间广播";
    table.Write(1, true, open);
    HistoryEvent failed = At(110, HistoryKind::kFileFailed, "无法播放“/a/it's.mp3”");
    failed.failed = true;
    table.Write(1, false, failed);
    table.Write(1, false, At(300, HistoryKind::kEndDeleted));
    EXPECT_EQ(table.UnfinishedBroadcast("7"), std::nullopt) << "its end was stored";
    const HistoryRecord l = table.Records(100, 101).at(0);  // power-up, start (never), end, last event
    EXPECT_EQ(l.title + " " + std::to_string(l.powerUp) + " " + std::to_string(l.start) + " " +
                  std::to_string(l.end) + " " + std::to_string(l.lastAt) + " " + std::to_string(l.failures),
              "it's 早间广播 100 0 300 300 1");
    EXPECT_EQ(table.Events(1).at(1).detail, failed.detail);
    EXPECT_TRUE(table.Records(101, 149).empty()) << "a line belongs to the moment of its first event";

    table.Write(2, true, At(150, HistoryKind::kStart));
    EXPECT_THROW(table.Write(2, true, At(155, HistoryKind::kEnd)), CDbError) << "the line exists";
    EXPECT_EQ(table.Events(2).size(), 1u);
    EXPECT_EQ(table.Records(150, 151).at(0).end, 0);
    EXPECT_EQ(table.UnfinishedBroadcast(""), std::optional<int64_t>(2));
    table.Write(3, true, At(400, HistoryKind::kLinkDown));
    EXPECT_EQ(table.Purge(200), 1);
    EXPECT_EQ(table.Purge(200), 0);
    std::vector<int64_t> left;
    for (const HistoryRecord& line : table.Records(0, INT_MAX)) left.push_back(line.id);
    EXPECT_EQ(left, (std::vector<int64_t>{1, 3}));
    EXPECT_EQ(test::QueryRows(database.Db(), "select count(*) as n from lumetra_history_event", {"n"}).at(0),
              "4");
    EXPECT_EQ(table.LastRecordId(), 3);
}

}  // namespace
}  // namespace lumetra
