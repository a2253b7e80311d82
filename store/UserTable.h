// The operators who may log in, in the "user" table.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace lumetra {

class CDatabase;

struct UserRow {
    std::string name;      // 用户名
    std::string password;  // 密码
};

// Every method throws CDbError when the database refuses or is not connected.
class CUserTable {
public:
    explicit CUserTable(CDatabase& db) : m_db(db) {}

    // The first `limit` operators in stored order.
    std::vector<UserRow> Read(size_t limit) const;
    long Count() const;
    // The password of the first operator with exactly this name (letter case counts), if any.
    std::optional<std::string> PasswordOf(const std::string& name) const;

    void Insert(const std::string& name, const std::string& password);
    void SetPassword(const std::string& name, const std::string& password);
    void Delete(const std::string& name);

private:
    CDatabase& m_db;
};

}  // namespace lumetra
