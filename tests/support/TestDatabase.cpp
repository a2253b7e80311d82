#include "tests/support/TestDatabase.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include "store/DeliveredDatabase.h"
#include "store/Recordset.h"

namespace lumetra::test {

TempDir::TempDir() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/lumetra-test-XXXXXX";
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed for " + pattern);
    m_path = pattern;
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(m_path, ec);
}

TestDatabase::TestDatabase(CDatabase* connection)
    : m_path(m_dir.File(kDatabaseFileName)), m_connection(connection ? *connection : m_db) {
    std::string error;
    if (!MakeDeliveredDatabase(m_path, &error) || !m_connection.Open(m_path, &error))
        throw std::runtime_error("test database: " + error);
}

std::vector<std::string> QueryRows(CDatabase& db, const std::string& query,
                                   const std::vector<std::string>& columns) {
    CRecordset rows(db);
    rows.Open(query);
    std::vector<std::string> out;
    for (; !rows.AtEnd(); rows.MoveNext()) {
        std::string line;
        for (size_t i = 0; i < columns.size(); ++i) line += (i ? "," : "") + rows.GetFieldText(columns[i]);
        out.push_back(line);
    }
    return out;
}

}  // namespace lumetra::test
