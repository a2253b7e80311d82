// Every statement Lumetra sends, through the table classes where they exist, run against the
// delivered schema, checking what it changed.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "store/ComTable.h"
#include "store/SqlFormat.h"
#include "store/Statements.h"
#include "store/TaskTable.h"
#include "store/UserTable.h"
#include "tests/support/TestDatabase.h"

namespace lumetra {
namespace {

// The rows of a query, each row's named columns joined by ",".
std::vector<std::string> Read(CDatabase& db, const std::string& query,
                              const std::vector<std::string>& columns) {
    CRecordset rows(db);
    rows.Open(query);
    std::vector<std::string> out;
    for (; !rows.IsEOF(); rows.MoveNext()) {
        std::string line;
        for (const auto& c : columns) line += (line.empty() ? "" : ",") + rows.GetFieldText(c);
        out.push_back(line);
    }
    return out;
}

using Lines = std::vector<std::string>;
const std::string kZones128 = [] {
    std::string s = "1";
    for (int i = 1; i < 128; ++i) s += i < 3 ? "|1" : "|0";
    return s;
}();

class Statements : public ::testing::Test {
protected:
    void InsertTask(const char* tmpl, const std::string& name, const std::string& start, const char* state) {
        db().ExecuteSql(FormatSql(tmpl, name, "2026-03-05", start, "08:30:00", "周", "1", "/a.mp3|/b.mp3",
                                  kZones128, "1", "246", state, "1", "1001"));
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
    EXPECT_EQ(Read(db(), sql::kSelectTasks, all),
              (Lines{"2,午休,2026-03-05,07:00:00,08:30:00,周,1,/a.mp3|/b.mp3,1,246,未执行,1,1001",
                     "1,早操,2026-03-05,08:00:00,08:30:00,周,1,/a.mp3|/b.mp3,1,246,未执行,1,1001"}));
    EXPECT_EQ(Read(db(), sql::kSelectTasksForTick, {"任务名称"}), (Lines{"午休", "早操"}));
    EXPECT_EQ(Read(db(), sql::kSelectTasks, {"目标区域"})[0], kZones128);

    EXPECT_EQ(Read(db(), FormatSql(sql::kSelectTaskByNameAndStart, "早操", "08:00:00"), {"ID"}),
              (Lines{"1"}));
    EXPECT_TRUE(Read(db(), FormatSql(sql::kSelectTaskByNameAndStart, "早操", "07:00:00"), {"ID"}).empty());

    db().ExecuteSql(FormatSql(sql::kUpdateTask, "2026-04-01", "09:00:00", "09:10:00", "天", "1", "/c.wav",
                              kZones128, "", "1", sql::kStateIdle, "0110", 2, "早操改", 1));
    EXPECT_EQ(Read(db(), "select * from tb_memo where ID=1", all),
              (Lines{"1,早操改,2026-04-01,09:00:00,09:10:00,天,1,/c.wav,2,,未执行,1,0110"}));

    db().ExecuteSql(FormatSql(sql::kUpdateTaskKeepWeekDays, "2026-04-02", "10:00:00", "10:10:00", "次", "1",
                              "/d.mp3", kZones128, "1", sql::kStateIdle, "1111", 0, "午休", 2));
    EXPECT_EQ(Read(db(), "select * from tb_memo where ID=2", all),
              (Lines{"2,午休,2026-04-02,10:00:00,10:10:00,次,1,/d.mp3,0,246,未执行,1,1111"}))
        << "一周时间 stays as it was";

    db().ExecuteSql(FormatSql(sql::kDeleteTaskByNameAndStart, "午休", "10:00:00"));
    EXPECT_EQ(Read(db(), sql::kSelectTasks, {"ID"}), (Lines{"1"}));
}

TEST_F(Statements, TaskStatesAndWalk) {
    InsertTask(sql::kInsertTask, "a", "08:00:00", sql::kStateDone);
    InsertTask(sql::kInsertTask, "b", "09:00:00", sql::kStateRunning);
    InsertTask(sql::kInsertTask, "c", "10:00:00", sql::kStateDone);
    CTaskTable tasks(db());
    tasks.ChangeStates(sql::kStateIdle, sql::kStateDone);
    EXPECT_EQ(Read(db(), sql::kSelectTasks, {"状态"}), (Lines{"未执行", "正在执行", "未执行"}));

    // The same update issued as a query: it changes the rows and yields none.
    CRecordset rows(db());
    rows.Open(FormatSql(sql::kSetStateWhereStateQuery, sql::kStateDone, sql::kStateRunning));
    EXPECT_TRUE(rows.IsEOF());
    EXPECT_EQ(Read(db(), sql::kSelectTasks, {"状态"}), (Lines{"未执行", "已执行", "未执行"}));

    tasks.SetState("3x", sql::kStateRunning);  // the ID is read by its leading digits
    std::vector<TaskRecord> all = tasks.ReadAll();
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[2].id + all[2].name + all[2].state, "3c正在执行");
    EXPECT_EQ(all[0].zones, kZones128);

    // The walk stops where the visitor says, and a visit may write to the table it walks.
    Lines visited;
    tasks.ForEach([&](const TaskRecord& task) {
        visited.push_back(task.name);
        tasks.SetState(task.id, sql::kStateIdle);
        return task.name != "b";
    });
    EXPECT_EQ(visited, (Lines{"a", "b"}));
    EXPECT_EQ(Read(db(), sql::kSelectTasks, {"状态"}), (Lines{"未执行", "未执行", "正在执行"}));
    db().Close();
    EXPECT_THROW(tasks.ForEach([](const TaskRecord&) { return true; }), CDbError);
}

TEST_F(Statements, LedHistoryNewestFirst) {
    EXPECT_TRUE(Read(db(), sql::kSelectLedHistory, {"LedContent"}).empty());
    db().ExecuteSql(FormatSql(sql::kInsertLed, "001CH", "早上好", "", "2026-03-05 08:00:00"));
    db().ExecuteSql(FormatSql(sql::kInsertLed, "128CH", "放学", "", "2026-03-05 17:00:00"));
    db().ExecuteSql(FormatSql(sql::kInsertLed, "002CH", "午餐", "", "2026-03-05 12:00:00"));
    EXPECT_EQ(Read(db(), sql::kSelectLedHistory, {"LedAddrID", "LedContent", "LedRemark", "sendtime"}),
              (Lines{"128CH,放学,,2026-03-05 17:00:00", "002CH,午餐,,2026-03-05 12:00:00",
                     "001CH,早上好,,2026-03-05 08:00:00"}));
}

TEST_F(Statements, Users) {
    CUserTable users(db());
    users.Insert("张三", "密码1");
    users.Insert("Admin", "x");
    users.SetPassword("admin", "new");
    EXPECT_EQ(Read(db(), sql::kSelectUsers, {"用户名", "密码"}),
              (Lines{"admin,new", "张三,密码1", "Admin,x"}));
    EXPECT_EQ(users.Count(), 3);
    const std::vector<UserRow> firstTwo = users.Read(2);
    ASSERT_EQ(firstTwo.size(), 2u);
    EXPECT_EQ(firstTwo[1].name + firstTwo[1].password, "张三密码1");
    EXPECT_EQ(users.PasswordOf("Admin"), "x") << "letter case counts";
    EXPECT_EQ(users.PasswordOf("ADMIN"), std::nullopt);
    users.Delete("admin");
    EXPECT_EQ(Read(db(), sql::kSelectUsers, {"用户名"}), (Lines{"张三", "Admin"}));
}

TEST_F(Statements, PlayCircleSetting) {
    EXPECT_TRUE(Read(db(), sql::kSelectPlayCircle, {"DictValue"}).empty());
    db().ExecuteSql(sql::kInsertPlayCircle);
    EXPECT_EQ(Read(db(), sql::kSelectPlayCircle, {"DictValue"}), (Lines{"1"}));
    db().ExecuteSql(FormatSql(sql::kSetDictValue, 3, "PlayCircle"));
    EXPECT_EQ(Read(db(), sql::kSelectPlayCircle, {"dictValue"}), (Lines{"3"}));
}

TEST_F(Statements, Port) {
    CComTable com(db());
    com.Write(4);
    EXPECT_EQ(Read(db(), sql::kSelectCom, {"com"}), (Lines{"4"}));
    EXPECT_EQ(com.Read(), 4);
    db().ExecuteSql("delete from com");  // a table without its row: no port
    EXPECT_EQ(com.Read(), std::nullopt);
}

// Operator text with apostrophes, Chinese and great length is stored and read back exactly, and
// can never change the statement around it.
TEST_F(Statements, OperatorTextIsStoredExactly) {
    const std::string texts[] = {
        "''",
        "x'); delete from user; --",
        "张三's 任务",
        std::string(20000, 'a') + "'" + std::string(20000, 'b'),
    };
    for (const auto& text : texts) {
        CUserTable users(db());
        users.Insert(text, text);
        EXPECT_EQ(users.PasswordOf(text), text);
        db().ExecuteSql(FormatSql(sql::kInsertLed, "001CH", text, "", "2026-03-05 08:00:00"));
        EXPECT_EQ(Read(db(), sql::kSelectLedHistory, {"LedContent"}).back(), text);
        db().ExecuteSql("delete from LED");
        users.Delete(text);
    }
    EXPECT_EQ(Read(db(), sql::kSelectUsers, {"用户名"}), (Lines{"admin"}));
}

}  // namespace
}  // namespace lumetra
