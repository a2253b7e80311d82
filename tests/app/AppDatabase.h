// A fresh delivered database in a private temporary directory, opened as the application
// connection for the lifetime of the object; the pages and the main window use it as they would
// the program's own.
#pragma once

#include <string>

#include "tests/support/TestDatabase.h"

namespace lumetra::test {

class CAppDatabase {
public:
    CAppDatabase();
    ~CAppDatabase();

    const std::string& Path() const { return m_path; }
    const TempDir& Dir() const { return m_dir; }
    // Runs a statement on the application connection.
    void Exec(const std::string& statement);
    // The first column of every row of a query, in order.
    std::vector<std::string> Column(const std::string& query, const std::string& field);

private:
    TempDir m_dir;
    std::string m_path;
};

}  // namespace lumetra::test
