#include "store/ZoneCatalog.h"

#include <algorithm>

#include "base/NumberText.h"
#include "store/DbError.h"
#include "store/Labels.h"

namespace lumetra {

std::vector<ZoneNode> CZoneCatalog::ReadTree() {
    std::vector<ZoneNode> zones;
    for (AreaRow& area : m_areas.All())
        zones.push_back({std::move(area.areaName), LeadingInt(area.areaId), {}});
    zones.push_back({kDefaultZoneLabel, 0, {}});
    for (ZoneNode& zone : zones)
        for (const RoomRow& room : m_rooms.RoomsOfArea(zone.areaId))
            zone.channels.push_back(ChannelLabel(LeadingInt(room.roomId), room.speakerName));
    // Byte order puts the codes in number order and the default zone, which starts with a
    // Chinese character, after them.
    std::stable_sort(zones.begin(), zones.end(),
                     [](const ZoneNode& a, const ZoneNode& b) { return a.label < b.label; });
    return zones;
}

std::vector<std::string> CZoneCatalog::ZoneLabels() {
    std::vector<std::string> labels;
    for (AreaRow& area : m_areas.All()) labels.push_back(std::move(area.areaName));
    return labels;
}

ZoneChange CZoneCatalog::AddZone(int number, const std::string& name) {
    const std::string code = ZoneCode(number);
    for (const AreaRow& area : m_areas.All()) {
        m_largestSeenAreaId = std::max(m_largestSeenAreaId, LeadingInt(area.areaId));
        if (area.areaName.compare(0, code.size(), code) == 0) return ZoneChange::kDuplicateCode;
    }
    m_areas.Insert(m_largestSeenAreaId + 1, ZoneLabel(number, name));
    return ZoneChange::kDone;
}

ZoneChange CZoneCatalog::EditZone(const std::string& oldLabel, int number, const std::string& name) {
    const std::string areaId = AreaIdOf(oldLabel);
    if (IsZoneCodeUsed(number, areaId)) return ZoneChange::kDuplicateCode;
    m_areas.Rename(areaId, ZoneLabel(number, name));
    return ZoneChange::kDone;
}

void CZoneCatalog::DeleteZone(const std::string& label) {
    const std::string areaId = AreaIdOf(label);
    m_rooms.MoveRoomsOfArea("0", LeadingInt(areaId));
    m_areas.DeleteByName(label);
}

void CZoneCatalog::SetSpeakerName(int channel, const std::string& name) {
    m_rooms.SetSpeakerName(channel, name);
}

void CZoneCatalog::MoveChannelToZone(int channel, const std::string& zoneLabel) {
    m_rooms.SetArea(zoneLabel == kDefaultZoneLabel ? std::string("0") : AreaIdOf(zoneLabel), channel);
}

bool CZoneCatalog::IsZoneCodeUsed(int number, const std::string& exceptAreaId) {
    const std::vector<AreaRow> areas = m_areas.All();
    return std::any_of(areas.begin(), areas.end(), [&](const AreaRow& area) {
        return LabelNumber(area.areaName) == number && (exceptAreaId.empty() || area.areaId != exceptAreaId);
    });
}

std::string CZoneCatalog::AreaIdOf(const std::string& label) {
    std::optional<std::string> areaId = m_areas.AreaIdOfName(label);
    if (!areaId) throw CDbError("找不到分区“" + label + "”，请刷新后重试。");
    return *areaId;
}

}  // namespace lumetra
