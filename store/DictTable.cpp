#include "store/DictTable.h"

#include "store/Database.h"
#include "store/SqlFormat.h"
#include "store/Statements.h"

namespace lumetra {

namespace {

constexpr const char* kPlayCircle = "PlayCircle";

}  // namespace

std::optional<PlayMode> CDictTable::ReadPlayCircle() const {
    CRecordset rows(m_db);
    rows.Open(sql::kSelectPlayCircle);
    if (rows.AtEnd()) return std::nullopt;
    return PlayModeFromNumber(rows.GetFieldInt("DictValue"));
}

void CDictTable::InsertPlayCircle() {
    m_db.ExecuteSql(sql::kInsertPlayCircle);
}

void CDictTable::WritePlayCircle(PlayMode mode) {
    m_db.ExecuteSql(FormatSql(sql::kSetDictValue, PlayModeNumber(mode), kPlayCircle));
}

}  // namespace lumetra
