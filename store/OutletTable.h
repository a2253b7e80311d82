// What Lumetra last sent to the four outlets, in Lumetra's own table "lumetra_outlet":
//   create table if not exists lumetra_outlet (
//     outlet integer primary key,  -- 1..4
//     on_now integer not null,     -- 1 when the last frame left it on
//     by_hand integer not null)    -- 1 when the operator switched it on
// so that a new start shows, and later switches from, what the transmitter really has.
#pragma once

#include <array>

namespace lumetra {

class CDatabase;

struct StoredOutlets {
    std::array<bool, 4> on{};
    std::array<bool, 4> byHand{};
};

// Each method throws CDbError when the database refuses or is not connected.
class COutletTable {
public:
    explicit COutletTable(CDatabase& db) : m_db(db) {}

    // Every outlet off while the table was never written.
    StoredOutlets Read();
    // All four in one transaction.
    void Write(const StoredOutlets& outlets);

private:
    CDatabase& m_db;
};

}  // namespace lumetra
