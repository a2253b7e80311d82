// Zones and channels as the zone editor and the zone control page change them, checked in the
// stored rows of a real database file.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "store/DbError.h"
#include "store/ZoneCatalog.h"
#include "tests/support/TestDatabase.h"

namespace lumetra {
namespace {

using Lines = std::vector<std::string>;

class ZoneCatalog : public ::testing::Test {
protected:
    // "AreaID,AreaName" of every zone row, in stored order.
    Lines Zones() { return test::QueryRows(m_t.Db(), "select * from AeraOfTarget", {"AreaID", "AreaName"}); }
    test::TestDatabase m_t;
    CZoneCatalog m_catalog{m_t.Db()};
};

TEST_F(ZoneCatalog, AddGivesNextIdentifierAndRefusesATakenNumberOrALabelNotStored) {
    const struct {
        int number;
        std::string name;
        ZoneChange result;
        std::string stored;  // the row it added, if any
    } adds[] = {
        {3, "", ZoneChange::kDone, "1,003FH"},           {1, "教学楼", ZoneChange::kDone, "2,001FH(教学楼)"},
        {2, "it's", ZoneChange::kDone, "3,002FH(it's)"}, {3, "other", ZoneChange::kDuplicateCode, ""},
        {12, "", ZoneChange::kDone, "4,012FH"},
    };
    Lines expected;
    for (const auto& add : adds) {
        SCOPED_TRACE(add.number);
        EXPECT_EQ(m_catalog.AddZone(add.number, add.name), add.result);
        if (!add.stored.empty()) expected.push_back(add.stored);
        EXPECT_EQ(Zones(), expected);
    }
    // The default zone, last, holds all 128 channels from 001CH on.
    const std::vector<ZoneNode> tree = m_catalog.ReadTree();
    ASSERT_EQ(tree.back().channels.size(), 128u);
    EXPECT_EQ(tree.back().channels.front(), "001CH");
    EXPECT_EQ(tree.back().channels.back(), "128CH");

    // An identifier an add has read is not given out again while the program runs, even after
    // its zone was deleted; after a restart only the stored identifiers count.
    m_catalog.DeleteZone("002FH(it's)");
    m_catalog.DeleteZone("012FH");
    EXPECT_EQ(m_catalog.AddZone(20, ""), ZoneChange::kDone);
    EXPECT_EQ(Zones().back(), "4,020FH");
    m_catalog.DeleteZone("020FH");
    CZoneCatalog restarted(m_t.Db());
    EXPECT_EQ(restarted.AddZone(21, ""), ZoneChange::kDone);
    EXPECT_EQ(Zones().back(), "3,021FH");

    // A label that is not stored is an error and changes nothing.
    m_catalog.MoveChannelToZone(7, "021FH");
    EXPECT_THROW(m_catalog.MoveChannelToZone(7, "009FH(x)"), CDbError);
    EXPECT_THROW(m_catalog.DeleteZone("009FH(x)"), CDbError);
    EXPECT_THROW(m_catalog.EditZone("009FH(x)", 9, "y"), CDbError);
    EXPECT_EQ(test::QueryRows(m_t.Db(), "select AreaID from Room where RoomID=7", {"AreaID"}), Lines{"3"});
    EXPECT_EQ(Zones(), (Lines{"1,003FH", "2,001FH(教学楼)", "3,021FH"}));
}

}  // namespace
}  // namespace lumetra
