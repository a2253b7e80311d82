#include "store/RoomTable.h"

#include "store/Database.h"
#include "store/SqlFormat.h"
#include "store/Statements.h"

namespace lumetra {

std::vector<RoomRow> CRoomTable::RoomsOfArea(int areaId) {
    CRecordset rows(m_db);
    rows.Open(FormatSql(sql::kSelectRoomsOfArea, areaId));
    std::vector<RoomRow> rooms;
    for (; !rows.AtEnd(); rows.MoveNext())
        rooms.push_back({rows.GetFieldText("RoomID"), rows.GetFieldText("SpeakerName")});
    return rooms;
}

void CRoomTable::SetArea(const std::string& areaId, int roomId) {
    m_db.ExecuteSql(FormatSql(sql::kSetRoomArea, areaId, roomId));
}

void CRoomTable::MoveRoomsOfArea(const std::string& toAreaId, int fromAreaId) {
    m_db.ExecuteSql(FormatSql(sql::kMoveRoomsOfArea, toAreaId, fromAreaId));
}

void CRoomTable::SetSpeakerName(int roomId, const std::string& name) {
    m_db.ExecuteSql(FormatSql(sql::kSetSpeakerName, name, roomId));
}

}  // namespace lumetra
