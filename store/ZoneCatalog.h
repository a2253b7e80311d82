// Zones and the channels in them, as every zone tree of the program shows them and as the zone
// editor changes them. Pages decide what to ask; this class decides what is stored. A zone is
// known by its label ("003FH(name)"); the default zone "默认编码" has no row and holds every
// channel whose AreaID is "0".
#pragma once

#include <string>
#include <vector>

#include "store/AreaTable.h"
#include "store/RoomTable.h"

namespace lumetra {

struct ZoneNode {
    std::string label;                  // the zone label, or "默认编码"
    int areaId = 0;                     // 0 for the default zone
    std::vector<std::string> channels;  // channel labels ("012CH(Hall)") in stored order
};

enum class ZoneChange { kDone, kDuplicateCode };

class CZoneCatalog {
public:
    explicit CZoneCatalog(CDatabase& db) : m_areas(db), m_rooms(db) {}

    // Zones in code order with the default zone last; each zone's channels in stored order.
    std::vector<ZoneNode> ReadTree();
    // The zone labels in stored order (the move-to-zone list).
    std::vector<std::string> ZoneLabels();

    // A new zone numbered 1..48. Its identifier is one more than the largest identifier read by
    // any add of this run, so an identifier once read is not given out again while the program
    // runs, even after its zone was deleted.
    ZoneChange AddZone(int number, const std::string& name);
    // Renumbers and renames the zone labelled `oldLabel`; its channels stay with it. The zone's
    // own number does not count as taken, so a zone can be renamed and keep its number.
    ZoneChange EditZone(const std::string& oldLabel, int number, const std::string& name);
    // Its channels return to the default zone first, so a failure never strands them in a zone
    // that no longer exists.
    void DeleteZone(const std::string& label);
    void SetSpeakerName(int channel, const std::string& name);
    // Stores the channel in the zone labelled `zoneLabel` ("默认编码" for the default zone).
    void MoveChannelToZone(int channel, const std::string& zoneLabel);
    // True when a zone other than the one identified by `exceptAreaId` has the number.
    bool IsZoneCodeUsed(int number, const std::string& exceptAreaId = {});

private:
    // The identifier text of the zone labelled `label`; throws CDbError when no row has it.
    std::string AreaIdOf(const std::string& label);

    CAreaTable m_areas;
    CRoomTable m_rooms;
    int m_largestSeenAreaId = 0;  // the largest identifier any add has read during this run
};

}  // namespace lumetra
