#include "store/OutletTable.h"

#include <vector>

#include "store/Database.h"
#include "store/OwnTables.h"
#include "store/SqlFormat.h"

namespace lumetra {
namespace {

constexpr OwnTable kOutlets = {"lumetra_outlet",
                               "create table if not exists lumetra_outlet (outlet integer primary key, "
                               "on_now integer not null, by_hand integer not null)",
                               16};

}  // namespace

StoredOutlets COutletTable::Read() {
    StoredOutlets outlets;
    if (!OwnTableExists(m_db, kOutlets)) return outlets;
    CRecordset rows(m_db);
    rows.Open("select outlet, on_now, by_hand from lumetra_outlet where outlet between 1 and 4");
    for (; !rows.AtEnd(); rows.MoveNext()) {
        const auto index = static_cast<size_t>(rows.GetFieldInt("outlet") - 1);
        outlets.on[index] = rows.GetFieldInt("on_now") != 0;
        outlets.byHand[index] = outlets.on[index] && rows.GetFieldInt("by_hand") != 0;
    }
    return outlets;
}

void COutletTable::Write(const StoredOutlets& outlets) {
    std::vector<std::string> statements;
    for (size_t i = 0; i < outlets.on.size(); ++i)
        statements.push_back(
            FormatSql("insert or replace into lumetra_outlet (outlet, on_now, by_hand) values (%d, %d, %d)",
                      static_cast<int>(i + 1), outlets.on[i] ? 1 : 0, outlets.byHand[i] ? 1 : 0));
    WriteOwnTable(m_db, kOutlets, statements);
}

}  // namespace lumetra
