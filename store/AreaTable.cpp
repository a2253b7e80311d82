#include "store/AreaTable.h"

#include "store/Database.h"
#include "store/SqlFormat.h"
#include "store/Statements.h"

namespace lumetra {

std::vector<AreaRow> CAreaTable::All() {
    CRecordset rows(m_db);
    rows.Open(sql::kSelectAreas);
    std::vector<AreaRow> areas;
    for (; !rows.AtEnd(); rows.MoveNext())
        areas.push_back({rows.GetFieldText("AreaID"), rows.GetFieldText("AreaName")});
    return areas;
}

std::optional<std::string> CAreaTable::AreaIdOfName(const std::string& label) {
    CRecordset rows(m_db);
    rows.Open(FormatSql(sql::kSelectAreaByName, label));
    if (rows.AtEnd()) return std::nullopt;
    return rows.GetFieldText("AreaID");
}

void CAreaTable::Insert(int areaId, const std::string& label) {
    m_db.ExecuteSql(FormatSql(sql::kInsertArea, areaId, label, "", ""));
}

void CAreaTable::Rename(const std::string& areaId, const std::string& newLabel) {
    m_db.ExecuteSql(FormatSql(sql::kRenameArea, newLabel, areaId));
}

void CAreaTable::DeleteByName(const std::string& label) {
    m_db.ExecuteSql(FormatSql(sql::kDeleteAreaByName, label));
}

}  // namespace lumetra
