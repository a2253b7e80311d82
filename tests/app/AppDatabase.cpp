#include "AppDatabase.h"

#include <stdexcept>

#include "store/Database.h"
#include "store/DeliveredDatabase.h"

namespace lumetra::test {

CAppDatabase::CAppDatabase() : m_path(m_dir.File(kDatabaseFileName)) {
    std::string error;
    if (!MakeDeliveredDatabase(m_path, &error) || !AppConnection().Open(m_path, &error))
        throw std::runtime_error("test database: " + error);
}

CAppDatabase::~CAppDatabase() {
    AppConnection().Close();
}

void CAppDatabase::Exec(const std::string& statement) {
    AppConnection().ExecuteSql(statement);
}

std::vector<std::string> CAppDatabase::Column(const std::string& query, const std::string& field) {
    CRecordset rows(AppConnection());
    rows.Open(query);
    std::vector<std::string> values;
    for (; !rows.IsEOF(); rows.MoveNext()) values.push_back(rows.GetFieldText(field));
    return values;
}

}  // namespace lumetra::test
