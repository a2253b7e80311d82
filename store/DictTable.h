// Named settings in the "Dict" table; the one item in use is the instant-play page's play mode,
// "PlayCircle".
#pragma once

#include <optional>

namespace lumetra {

class CDatabase;

// Every method throws CDbError when the database refuses or is not connected.
class CDictTable {
public:
    explicit CDictTable(CDatabase& db) : m_db(db) {}

    // The stored play mode read from its leading digits (not range-checked); none when the row
    // is missing.
    std::optional<int> ReadPlayCircle() const;
    // Adds the missing row, holding "1".
    void InsertPlayCircle();
    void WritePlayCircle(int mode);

private:
    CDatabase& m_db;
};

}  // namespace lumetra
