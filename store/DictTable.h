// Named settings in the "Dict" table; the one item in use is the instant-play page's play mode,
// "PlayCircle".
#pragma once

#include <optional>

#include "store/PlayMode.h"

namespace lumetra {

class CDatabase;

// Every method throws CDbError when the database refuses or is not connected.
class CDictTable {
public:
    explicit CDictTable(CDatabase& db) : m_db(db) {}

    // The stored play mode, read from its leading digits; a number outside 1 to 4 reads as the
    // first mode. None when the row is missing.
    std::optional<PlayMode> ReadPlayCircle() const;
    // Adds the missing row, holding "1".
    void InsertPlayCircle();
    void WritePlayCircle(PlayMode mode);

private:
    CDatabase& m_db;
};

}  // namespace lumetra
