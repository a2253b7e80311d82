// The target zones (table AeraOfTarget): one row per zone other than the default zone, found by
// its whole label ("003FH(name)") or by its identifier text.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace lumetra {

class CDatabase;

struct AreaRow {
    std::string areaId;    // decimal text, "3"
    std::string areaName;  // the zone label
};

class CAreaTable {
public:
    explicit CAreaTable(CDatabase& db) : m_db(db) {}

    // Every zone in stored order.
    std::vector<AreaRow> All();
    // The identifier text of the first zone labelled `label`; none when no row has that label.
    std::optional<std::string> AreaIdOfName(const std::string& label);
    void Insert(int areaId, const std::string& label);
    void Rename(const std::string& areaId, const std::string& newLabel);
    void DeleteByName(const std::string& label);

private:
    CDatabase& m_db;
};

}  // namespace lumetra
