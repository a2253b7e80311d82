// Writing task rows the way the task editor stores them, for the scheduler tests and benchmark.
#pragma once

#include <initializer_list>
#include <string>

#include "schedule/TaskRecord.h"
#include "store/Database.h"
#include "store/SqlFormat.h"
#include "store/Statements.h"

namespace lumetra::test {

// 目标区域: 128 entries "1"/"0" joined by "|", "1" for each listed channel number.
inline std::string ZoneText(std::initializer_list<int> channels) {
    std::string text;
    for (int channel = 1; channel <= 128; ++channel) {
        bool on = false;
        for (int c : channels) on = on || c == channel;
        if (channel > 1) text += '|';
        text += on ? '1' : '0';
    }
    return text;
}

struct TaskRow {
    std::string name = "早间广播";
    std::string date = "2026-03-02";
    std::string start = "08:00:00";
    std::string end = "08:30:00";
    std::string code = kRepeatDaily;  // 提醒次数
    std::string weekDays;             // 一周时间
    std::string state = sql::kStateIdle;
    std::string playList = "/music/晨曲.mp3|/music/it's news.wav";
    std::string zones = ZoneText({1, 3, 10});
    std::string power = "1010";
};

inline const char* RepeatText(const std::string& code) {
    if (code == kRepeatOnce) return "次";
    if (code == kRepeatWeekly) return "周";
    return "天";
}

// Inserts the row and returns its ID as text.
inline std::string InsertTask(CDatabase& db, const TaskRow& row) {
    db.ExecuteSql(FormatSql(sql::kInsertTask, row.name, row.date, row.start, row.end, RepeatText(row.code),
                            "1", row.playList, row.zones, row.code, row.weekDays, row.state, "1", row.power));
    CRecordset rows(db);
    rows.Open("select max(ID) as ID from tb_memo");
    return rows.GetFieldText("ID");
}

inline std::string TaskState(CDatabase& db, const std::string& id) {
    CRecordset rows(db);
    rows.Open(FormatSql("select * from tb_memo where ID=%d", LeadingInt(id)));
    return rows.GetFieldText("状态");
}

}  // namespace lumetra::test
