// Task rows written the way the task editor stores them: built from a few words, stored, and read
// back. Shared by the schedule, station and benchmark programs.
#pragma once

#include <algorithm>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/NumberText.h"
#include "schedule/TaskFields.h"
#include "store/SqlFormat.h"
#include "store/Statements.h"
#include "store/TimetableTable.h"
#include "tests/support/TestDatabase.h"

namespace lumetra::test {

// 目标区域: 128 entries "1"/"0" joined by "|", "1" for each listed channel number.
inline std::string ZoneText(const std::vector<int>& channels) {
    std::string text = "0";
    for (int channel = 2; channel <= 128; ++channel) text += "|0";
    for (int channel : channels) text[2 * (channel - 1)] = '1';
    return text;
}

struct TaskRow {
    std::string name = "早间广播";
    std::string date = "2026-03-02";
    std::string start = "08:00:00";
    std::string end = "08:30:00";
    std::string code = kRepeatDaily;  // 提醒次数
    std::string weekDays = "";        // 一周时间
    std::string state = sql::kStateIdle;
    std::string playList = "/music/晨曲.mp3|/music/it's news.wav";
    std::string zones = ZoneText({1, 3, 10});
    std::string power = "1010";
    std::string id{};   // for rows that are never stored
    int timetable = 0;  // the timetable's ID; 0: none
};

// `base` (a daily row) changed by words: "08:00:00-08:10:00" its times ("08:10:00" its start), "2026-10-01"
// its date, "z1,2" its channels, "p1000" its outlets, "w27" weekly on those days, "once", "running", "#7",
// "/a.mp3" its play list, "t2" its timetable.
inline TaskRow Row(const std::string& words, TaskRow row = {}) {
    std::istringstream in(words);
    for (std::string w; in >> w;) {
        if (w[2] == ':') {
            row.start = w.substr(0, 8);
            if (w.size() > 9) row.end = w.substr(9);
        } else if (w.size() == 10 && w[4] == '-') {
            row.date = w;
        } else if (w[0] == 'z') {
            std::replace(w.begin(), w.end(), ',', ' ');
            std::istringstream numbers(w.substr(1));
            std::vector<int> channels;
            for (int channel; numbers >> channel;) channels.push_back(channel);
            row.zones = ZoneText(channels);
        } else if (w[0] == '/') {
            row.playList = w;
        } else if (w[0] == 'p' || w[0] == 'w' || w[0] == '#') {
            (w[0] == 'p' ? row.power : w[0] == 'w' ? row.weekDays : row.id) = w.substr(1);
            if (w[0] == 'w') row.code = kRepeatWeekly;
        } else if (w[0] == 't') {
            row.timetable = LeadingInt(w.substr(1));
        } else if (w == "once" || w == "running") {
            (w == "once" ? row.code : row.state) = w == "once" ? kRepeatOnce : sql::kStateRunning;
        } else {
            throw std::invalid_argument("task word " + w);
        }
    }
    return row;
}

// Rows of words separated by ";".
inline std::vector<TaskRow> Rows(const std::string& words, const TaskRow& base = {}) {
    std::vector<TaskRow> rows;
    std::istringstream in(words);
    for (std::string row; std::getline(in, row, ';');) rows.push_back(Row(row, base));
    return rows;
}

inline TaskRecord Record(const TaskRow& row) {
    TaskRecord t;
    t.id = row.id, t.repeatCode = row.code, t.date = row.date, t.weekDays = row.weekDays, t.state = row.state;
    t.startTime = row.start, t.endTime = row.end, t.zones = row.zones, t.power = row.power;
    return t;
}

// Inserts the row and returns its ID as text.
inline std::string InsertTask(CDatabase& db, const TaskRow& row) {
    const char* repeatText = row.code == kRepeatOnce ? "次" : row.code == kRepeatWeekly ? "周" : "天";
    db.ExecuteSql(FormatSql(sql::kInsertTask, row.name, row.date, row.start, row.end, repeatText, "1",
                            row.playList, row.zones, row.code, row.weekDays, row.state, "1", row.power));
    const std::string id = QueryRows(db, "select max(ID) as ID from tb_memo", {"ID"}).at(0);
    if (row.timetable != 0)
        for (const std::string& statement : CTimetableTable(db).TaskStatements(id, row.timetable))
            db.ExecuteSql(statement);
    return id;
}

inline std::string StoredTaskState(CDatabase& db, const std::string& id) {
    return QueryRows(db, FormatSql("select 状态 from tb_memo where ID=%d", LeadingInt(id)), {"状态"}).at(0);
}

}  // namespace lumetra::test
