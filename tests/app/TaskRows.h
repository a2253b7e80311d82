// Writes tb_memo rows for the user-interface tests, exactly as the task editor stores them.
#pragma once

#include <string>

#include "store/Database.h"
#include "store/SqlFormat.h"
#include "store/Statements.h"

namespace lumetra::test {

struct TaskRow {
    std::string name = "早间广播";
    std::string date = "2026-01-01";
    std::string start = "08:00:00";
    std::string end = "08:10:00";
    std::string repeatText = "天";
    std::string repeatCode = "2";  // daily
    std::string state = sql::kStateIdle;
    std::string zones;  // 128 entries "1"/"0" joined by "|"; empty selects none
    std::string power = "0000";
    std::string playList;
};

inline TaskRow Named(std::string name, std::string state) {
    TaskRow row;
    row.name = std::move(name);
    row.state = std::move(state);
    return row;
}

// "1|1|0|..." with channels 1..count on.
inline std::string FirstChannels(int count) {
    std::string zones;
    for (int i = 0; i < 128; ++i) zones += std::string(i ? "|" : "") + (i < count ? "1" : "0");
    return zones;
}

inline void InsertTask(const TaskRow& row) {
    ExecuteSql(FormatSql(sql::kInsertTask, row.name, row.date, row.start, row.end, row.repeatText, "本地",
                         row.playList, row.zones.empty() ? FirstChannels(0) : row.zones, row.repeatCode, "",
                         row.state, "", row.power));
}

}  // namespace lumetra::test
