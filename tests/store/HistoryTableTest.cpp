// The history's tables on a real database file: texts stored as typed, one transaction per event,
// old lines removed with their events. Their creation on first use: OwnTablesTest.
#include <gtest/gtest.h>

#include <climits>

#include "store/HistoryTable.h"
#include "store/Recordset.h"
#include "tests/support/TestDatabase.h"

namespace lumetra {
namespace {

HistoryEvent At(std::time_t at, HistoryKind kind, std::string detail = {}) {
    HistoryEvent event;
    event.at = at;
    event.kind = kind;
    event.detail = std::move(detail);
    return event;
}

// Texts stored as typed; a line's times, failures and link losses gathered from its events; an
// event the table refuses (a second start of a line) leaves nothing half stored.
TEST(HistoryTableTest, ALineAndItsEventsComeBackAsWritten) {
    test::TestDatabase database;
    CHistoryTable table(database.Db());
    HistoryEvent open = At(1000, HistoryKind::kPowerUp);
    open.taskId = "7";
    open.title = "it's 早间广播";
    open.zones = "1-2, 5";
    table.Write(1, true, open);
    HistoryEvent failed = At(1010, HistoryKind::kFileFailed, "无法播放“/a/it's.mp3”：文件不存在。");
    failed.failed = true;
    failed.linkUp = false;
    table.Write(1, false, failed);
    table.Write(1, false, At(1030, HistoryKind::kEndDeleted));
    EXPECT_EQ(table.UnfinishedBroadcast("7"), std::nullopt) << "its end was stored";

    const std::vector<HistoryRecord> lines = table.Records(1000, 1001);
    ASSERT_EQ(lines.size(), 1u);
    const HistoryRecord& l = lines[0];  // power-up, start (never), end, last event; failures, link down
    EXPECT_EQ(l.title + "; " + l.zones, "it's 早间广播; 1-2, 5");
    EXPECT_EQ(std::to_string(l.powerUp) + " " + std::to_string(l.start) + " " + std::to_string(l.end) + " " +
                  std::to_string(l.lastAt) + "; " + std::to_string(l.failures) + " " +
                  std::to_string(l.linkDown),
              "1000 0 1030 1030; 1 1");
    EXPECT_EQ(l.ending, static_cast<int>(HistoryKind::kEndDeleted));
    const std::vector<HistoryEventRow> events = table.Events(1);
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[1].detail, failed.detail);
    EXPECT_TRUE(events[1].failed);
    EXPECT_FALSE(events[1].linkUp);
    EXPECT_TRUE(table.Records(1001, INT_MAX).empty()) << "a line belongs to the moment of its first event";

    table.Write(2, true, At(2000, HistoryKind::kStart));
    EXPECT_THROW(table.Write(2, true, At(2005, HistoryKind::kEnd)), CDbError) << "the line exists";
    EXPECT_EQ(table.Events(2).size(), 1u);
    EXPECT_EQ(table.Records(2000, INT_MAX).at(0).end, 0);
    EXPECT_EQ(table.UnfinishedBroadcast(""), std::optional<int64_t>(2));
}

TEST(HistoryTableTest, PurgeRemovesOldLinesWithTheirEvents) {
    test::TestDatabase database;
    CHistoryTable table(database.Db());
    table.Write(1, true, At(100, HistoryKind::kPowerUp));
    table.Write(1, false, At(300, HistoryKind::kPowerDown));  // ends after the cut: stays whole
    table.Write(2, true, At(150, HistoryKind::kChannelsOn));
    table.Write(3, true, At(400, HistoryKind::kLinkDown));
    EXPECT_EQ(table.Purge(200), 1);
    EXPECT_EQ(table.Purge(200), 0);
    std::vector<int64_t> left;
    for (const HistoryRecord& line : table.Records(0, INT_MAX)) left.push_back(line.id);
    EXPECT_EQ(left, (std::vector<int64_t>{1, 3}));
    EXPECT_EQ(test::QueryRows(database.Db(), "select count(*) as n from lumetra_history_event", {"n"}).at(0),
              "3");
    EXPECT_EQ(table.LastRecordId(), 3);
}

}  // namespace
}  // namespace lumetra
