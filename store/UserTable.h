// The operators who may log in, in the "user" table. Passwords are stored hashed.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace lumetra {

class CDatabase;

enum class LoginCheck {
    kNoSuchUser,
    kWrongPassword,
    kAccepted,
    kAcceptedAsTyped,  // right, but the row holds it as typed: the caller rehashes it
};

// Every method throws CDbError when the database refuses or is not connected.
class CUserTable {
public:
    explicit CUserTable(CDatabase& db) : m_db(db) {}

    // The names of the first `limit` operators in stored order.
    std::vector<std::string> Names(size_t limit) const;
    long Count() const;
    bool Exists(const std::string& name) const;
    // Whether some operator of another name is left when `name` is gone.
    bool OthersThan(const std::string& name) const;
    // Checks against the first operator with exactly this name (letter case counts).
    LoginCheck CheckLogin(const std::string& name, const std::string& password) const;

    // Both store the password hashed.
    void Insert(const std::string& name, const std::string& password);
    void SetPassword(const std::string& name, const std::string& password);
    void Delete(const std::string& name);

private:
    CDatabase& m_db;
};

}  // namespace lumetra
