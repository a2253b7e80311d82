// Who is logged in to this process's window, and what only an administrator may change. A process
// with a login window guards from its start until it goes: users, settings, backup, restore, the
// calendar and the history's retention then change only while an administrator is logged in,
// whatever path the request takes. A process without one (the headless station, the tools) has
// nobody to tell apart.
#pragma once

#include <optional>
#include <string>

namespace lumetra {

enum class UserRole { kAdministrator, kOperator };

// "管理员", "操作员"
const char* UserRoleText(UserRole role);

struct LoggedInUser {
    std::string name;
    UserRole role = UserRole::kOperator;
};

// The login window's lifetime: from StartLoginGuard until EndLoginGuard nobody is logged in until
// SetLoggedIn says who.
void StartLoginGuard();
void EndLoginGuard();
// Who is logged in from now on; none after logging off.
void SetLoggedIn(const std::optional<LoggedInUser>& user);
std::optional<LoggedInUser> LoggedIn();

// Whether users and settings may change now: no login window, or an administrator logged in.
bool MayAdminister();
// Throws CRefused naming `what` ("修改系统设置") unless MayAdminister().
void RequireAdministrator(const std::string& what);

}  // namespace lumetra
