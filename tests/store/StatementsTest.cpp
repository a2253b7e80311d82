// The task table's statements, run against the delivered schema, checking what they changed. The
// other tables' statements are checked by the pages that use them; operator text in statements by
// FormatSql.FillsTextAndNumbers... and LoginUserTest.addAndModifyRefuseBadFieldsAndTheHundredAndFirst.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "store/SqlFormat.h"
#include "store/Statements.h"
#include "store/TaskTable.h"
#include "tests/support/TestDatabase.h"

namespace lumetra {
namespace {

using test::QueryRows;
using Lines = std::vector<std::string>;
const std::string kZones = "1|1|1|0";  // stored as text: its length does not matter here

class Statements : public ::testing::Test {
protected:
    void InsertTask(const char* tmpl, const std::string& name, const std::string& start, const char* state) {
        db().ExecuteSql(FormatSql(tmpl, name, "2026-03-05", start, "08:30:00", "周", "1", "/a.mp3|/b.mp3",
                                  kZones, "1", "246", state, "1", "1001"));
    }
    CDatabase& db() { return m_t.Db(); }
    test::TestDatabase m_t;
};

TEST_F(Statements, TaskInsertSelectUpdateDelete) {
    InsertTask(sql::kInsertTask, "早操", "08:00:00", sql::kStateIdle);
    InsertTask(sql::kInsertTaskAlt, "午休", "07:00:00", sql::kStateIdle);
    const std::vector<std::string> all = {"ID",       "任务名称", "日期",     "开始时间", "结束时间",
                                          "重复周期", "音源",     "节目内容", "提醒次数", "一周时间",
                                          "状态",     "FM",       "外设"};
    EXPECT_EQ(QueryRows(db(), sql::kSelectTasks, all),
              (Lines{"2,午休,2026-03-05,07:00:00,08:30:00,周,1,/a.mp3|/b.mp3,1,246,未执行,1,1001",
                     "1,早操,2026-03-05,08:00:00,08:30:00,周,1,/a.mp3|/b.mp3,1,246,未执行,1,1001"}));

    EXPECT_EQ(QueryRows(db(), FormatSql(sql::kSelectTaskByNameAndStart, "早操", "08:00:00"), {"ID"}),
              (Lines{"1"}));
    EXPECT_TRUE(
        QueryRows(db(), FormatSql(sql::kSelectTaskByNameAndStart, "早操", "07:00:00"), {"ID"}).empty());

    db().ExecuteSql(FormatSql(sql::kUpdateTask, "2026-04-01", "09:00:00", "09:10:00", "天", "1", "/c.wav",
                              kZones, "", "1", sql::kStateIdle, "0110", 2, "早操改", 1));
    EXPECT_EQ(QueryRows(db(), "select * from tb_memo where ID=1", all),
              (Lines{"1,早操改,2026-04-01,09:00:00,09:10:00,天,1,/c.wav,2,,未执行,1,0110"}));

    db().ExecuteSql(FormatSql(sql::kUpdateTaskKeepWeekDays, "2026-04-02", "10:00:00", "10:10:00", "次", "1",
                              "/d.mp3", kZones, "1", sql::kStateIdle, "1111", 0, "午休", 2));
    EXPECT_EQ(QueryRows(db(), "select * from tb_memo where ID=2", all),
              (Lines{"2,午休,2026-04-02,10:00:00,10:10:00,次,1,/d.mp3,0,246,未执行,1,1111"}))
        << "一周时间 stays as it was";

    db().ExecuteSql(FormatSql(sql::kDeleteTaskByNameAndStart, "午休", "10:00:00"));
    EXPECT_EQ(QueryRows(db(), sql::kSelectTasks, {"ID"}), (Lines{"1"}));
}

TEST_F(Statements, TaskStatesAndWalk) {
    InsertTask(sql::kInsertTask, "a", "08:00:00", sql::kStateDone);
    InsertTask(sql::kInsertTask, "b", "09:00:00", sql::kStateRunning);
    InsertTask(sql::kInsertTask, "c", "10:00:00", sql::kStateDone);
    CTaskTable tasks(db());
    tasks.ChangeStates(TaskState::kIdle, TaskState::kDone);
    EXPECT_EQ(QueryRows(db(), sql::kSelectTasks, {"状态"}), (Lines{"未执行", "正在执行", "未执行"}));

    tasks.SetState("3x", TaskState::kRunning);  // the ID is read by its leading digits
    std::vector<TaskRecord> all = tasks.ReadAll();
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[2].id + all[2].name + all[2].state, "3c正在执行");
    EXPECT_EQ(all[0].zones, kZones);

    // The walk stops where the visitor says.
    Lines visited;
    tasks.ForEach([&](const TaskRecord& task) {
        visited.push_back(task.name);
        return task.name != "b";
    });
    EXPECT_EQ(visited, (Lines{"a", "b"}));
    db().Close();
    EXPECT_THROW(tasks.ForEach([](const TaskRecord&) { return true; }), CDbError);
}

}  // namespace
}  // namespace lumetra
