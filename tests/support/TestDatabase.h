// Test helpers: a private temporary directory, a fresh delivered database inside it, and rows read back.
#pragma once

#include <string>
#include <vector>

#include "store/Database.h"

namespace lumetra::test {

// A directory under $TMPDIR (or /tmp) that is removed with everything in it at destruction.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& Path() const { return m_path; }
    std::string File(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

// A new "dbinfo.mdb" with the delivered rows in a directory of its own, opened on its own
// connection or on `connection` (which the caller closes).
class TestDatabase {
public:
    explicit TestDatabase(CDatabase* connection = nullptr);
    CDatabase& Db() { return m_connection; }
    const std::string& Path() const { return m_path; }
    const TempDir& Dir() const { return m_dir; }

private:
    TempDir m_dir;
    std::string m_path;
    CDatabase m_db;
    CDatabase& m_connection;
};

// The rows of `query`, each row's named columns joined by ",".
std::vector<std::string> QueryRows(CDatabase& db, const std::string& query,
                                   const std::vector<std::string>& columns);

}  // namespace lumetra::test
