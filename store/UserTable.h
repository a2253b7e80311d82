// The users who may log in, in the "user" table, and their roles, in a table of Lumetra's own
// beside it. Passwords are stored hashed. A database from before roles counts every user as an
// administrator; the first change stores that, and users added later are operators unless chosen
// otherwise. There is always an administrator: when none of the users is one, all of them are.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "store/LoggedIn.h"

namespace lumetra {

class CDatabase;

enum class LoginCheck {
    kNoSuchUser,
    kWrongPassword,
    kAccepted,
    kAcceptedAsTyped,  // right, but the row holds it as typed: the caller rehashes it
};

struct UserChange {
    std::optional<std::string> oldPassword = {};  // the user's own, when they change it themselves
    std::optional<std::string> password = {};
    std::optional<UserRole> role = {};
};

struct UserRow {
    std::string name;
    UserRole role = UserRole::kOperator;
};

// Every method throws CDbError when the database refuses or is not connected. The changes throw
// CRefused, before any statement runs, when their rules or the logged-in user's role refuse them
// (store/LoggedIn.h); each change is stored whole or not at all.
class CUserTable {
public:
    static constexpr size_t kMaxUsers = 100;

    explicit CUserTable(CDatabase& db) : m_db(db) {}

    // The first `limit` users in stored order.
    std::vector<UserRow> Users(size_t limit) const;
    // The first user of exactly this name (letter case counts); a name not stored is an operator.
    UserRow Find(const std::string& name) const;
    // Checks against the first user with exactly this name (letter case counts).
    LoginCheck CheckLogin(const std::string& name, const std::string& password) const;
    // Stores hashed a password that a row holds as typed, if it still does.
    void RehashAsTyped(const std::string& name, const std::string& password);

    // A new user: the name trimmed of blanks at both ends, and unlike every stored name ignoring
    // letter case and blanks. Returns the name stored.
    std::string Insert(const std::string& name, const std::string& password, UserRole role);
    // A password, a role or both, stored together. The logged-in user changes their own password
    // with the one it replaces; an administrator sets another user's without it. Never leaves the
    // users without an administrator.
    void Change(const std::string& name, const UserChange& change);
    // Every row of the name. Neither the logged-in user nor the last administrator goes.
    void Delete(const std::string& name);
    // Why Delete would refuse the name; nothing when it would not.
    std::optional<std::string> DeleteRefusal(const std::string& name) const;

private:
    std::vector<UserRow> AllUsers() const;
    bool IsLastAdministrator(const std::string& name) const;

    CDatabase& m_db;
};

}  // namespace lumetra
