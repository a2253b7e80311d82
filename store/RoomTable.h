// The receiver channels (table Room): which zone each channel belongs to and its speaker's name.
// Rows are never inserted or deleted here; only their zone and name change.
#pragma once

#include <string>
#include <vector>

namespace lumetra {

class CDatabase;

struct RoomRow {
    std::string roomId;  // the channel number as stored, "5"
    std::string speakerName;
};

class CRoomTable {
public:
    explicit CRoomTable(CDatabase& db) : m_db(db) {}

    // The channels of one zone in stored order; zone 0 is the default zone.
    std::vector<RoomRow> RoomsOfArea(int areaId);
    // Moves one channel to the zone whose identifier text is `areaId` ("0" = default zone).
    void SetArea(const std::string& areaId, int roomId);
    // Moves every channel of zone `fromAreaId` to `toAreaId`.
    void MoveRoomsOfArea(const std::string& toAreaId, int fromAreaId);
    // Empty text clears the name.
    void SetSpeakerName(int roomId, const std::string& name);

private:
    CDatabase& m_db;
};

}  // namespace lumetra
