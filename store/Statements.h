// Every statement Lumetra sends to its database, in one place. Fill them with FormatSql, which
// doubles single quotes in text values; the texts, blanks and tabs are exactly what the program
// has always sent, so existing database files and tools see the same statements.
#pragma once

#include "store/TaskStates.h"

namespace lumetra::sql {

// Each statement keeps its text in as few pieces as its length allows, so it can be searched for.
// clang-format off
// tb_memo: broadcast tasks
inline constexpr const char* kInsertTask =
    "insert into tb_memo (任务名称,日期,开始时间,结束时间,重复周期,音源,节目内容,目标区域,提醒次数,一周时间,状态,FM,外设) "
    "\t\t\tvalues ('%s','%s' ,'%s','%s','%s','%s','%s','%s','%s','%s','%s','%s','%s')";
// The editor's second insert path differs only by one tab.
inline constexpr const char* kInsertTaskAlt =
    "insert into tb_memo (任务名称,日期,开始时间,结束时间,重复周期,音源,节目内容,目标区域,提醒次数,一周时间,状态,FM,外设) "
    "\t\t\t\tvalues ('%s','%s' ,'%s','%s','%s','%s','%s','%s','%s','%s','%s','%s','%s')";
// Update that leaves 一周时间 as it is (a task changed to once or daily).
inline constexpr const char* kUpdateTaskKeepWeekDays =
    "update tb_memo  set 日期= '%s' ,开始时间='%s', 结束时间='%s',重复周期='%s',音源='%s',节目内容='%s',目标区域='%s',"
    "FM='%s' ,状态='%s' ,外设='%s',提醒次数='%d', 任务名称='%s'where ID=%d";
inline constexpr const char* kUpdateTask =
    "update tb_memo  set 日期= '%s' ,开始时间='%s', 结束时间='%s',重复周期='%s',音源='%s',节目内容='%s',目标区域='%s',"
    "一周时间='%s',FM='%s' ,状态='%s' ,外设='%s',提醒次数='%d', 任务名称='%s'where ID=%d";
// The task list's read and the scheduler's walk: two texts, the walk's one blank longer.
inline constexpr const char* kSelectTasks = "select * from tb_memo order by \"开始时间\"";
inline constexpr const char* kSelectTasksForTick = "select * from tb_memo order by \"开始时间\" ";
inline constexpr const char* kSelectTaskByNameAndStart = "select * from tb_memo where 任务名称='%s' and 开始时间='%s' ";
inline constexpr const char* kDeleteTaskByNameAndStart = "delete from tb_memo where 任务名称='%s' and 开始时间='%s'";
inline constexpr const char* kSetStateWhereState = "update tb_memo  set 状态= '%s' where 状态='%s'";
inline constexpr const char* kSetStateById = "update tb_memo  set 状态= '%s' where ID=%d";

// Room: receiver channels
inline constexpr const char* kSelectRoomsOfArea = "select * from Room where AreaID='%d'";
inline constexpr const char* kSetRoomArea = "update Room set AreaID= '%s' where RoomID= %d";
inline constexpr const char* kMoveRoomsOfArea = "update Room set AreaID= '%s' where AreaID= '%d'";
inline constexpr const char* kSetSpeakerName = "update Room set SpeakerName= '%s' where RoomID=%d";

// AeraOfTarget: target zones
inline constexpr const char* kSelectAreas = "select * from AeraOfTarget";
inline constexpr const char* kSelectAreaByName = "select * from AeraOfTarget where AreaName='%s'";
inline constexpr const char* kInsertArea =
    "insert into AeraOfTarget (AreaID,AreaName,AreaAddr,Remark) values ('%d','%s','%s','%s')";
inline constexpr const char* kRenameArea = "update AeraOfTarget set AreaName= '%s' where AreaID='%s'";
inline constexpr const char* kDeleteAreaByName = "delete from AeraOfTarget where AreaName='%s'";

// LED: history of texts sent to screens
inline constexpr const char* kInsertLed =
    "insert into LED (LedAddrID,LedContent,LedRemark,sendtime) values ('%s','%s','%s','%s')";
inline constexpr const char* kSelectLedHistory = "select * from LED order by sendtime desc";

// user: operators
inline constexpr const char* kSelectUsers = "select * from user";
inline constexpr const char* kInsertUser = "insert into user (用户名,密码) values ('%s','%s')";
inline constexpr const char* kSetPassword = "update user set 密码= '%s' where 用户名='%s'";
inline constexpr const char* kDeleteUser = "delete from user where 用户名='%s'";

// Dict: named settings
inline constexpr const char* kSelectPlayCircle = "select DictValue from Dict where DictItem='PlayCircle'";
inline constexpr const char* kInsertPlayCircle = "insert into dict(dictItem,dictValue) values('PlayCircle','1')";
inline constexpr const char* kSetDictValue = "update dict  set DictValue= '%d' where DictItem='%s'";

// com: the serial port choice
inline constexpr const char* kSelectCom = "select * from com";
inline constexpr const char* kSetCom = "update com set com= '%s'";

// shut_down: automatic shutdown
inline constexpr const char* kSelectShutdown = "select * from shut_down";
inline constexpr const char* kSetShutdown = "update shut_down  set 启用关机= '%d' ,关机时间='%d:%d:%d'";

// clang-format on

}  // namespace lumetra::sql
