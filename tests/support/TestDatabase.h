// Test helpers: a private temporary directory, and a fresh delivered database inside it.
#pragma once

#include <string>

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

// A new "dbinfo.mdb" with the delivered rows, opened on `db`.
class TestDatabase {
public:
    TestDatabase();
    CDatabase& Db() { return m_db; }
    const std::string& Path() const { return m_path; }

private:
    TempDir m_dir;
    std::string m_path;
    CDatabase m_db;
};

}  // namespace lumetra::test
