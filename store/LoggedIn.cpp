#include "store/LoggedIn.h"

#include <mutex>

#include "store/DbError.h"

namespace lumetra {
namespace {

std::mutex g_lock;  // guards the two below: the window's thread writes them, any thread reads
bool g_guarded = false;
std::optional<LoggedInUser> g_user;

}  // namespace

const char* UserRoleText(UserRole role) {
    return role == UserRole::kAdministrator ? "管理员" : "操作员";
}

void StartLoginGuard() {
    std::lock_guard lock(g_lock);
    g_guarded = true;
    g_user.reset();
}

void EndLoginGuard() {
    std::lock_guard lock(g_lock);
    g_guarded = false;
    g_user.reset();
}

void SetLoggedIn(const std::optional<LoggedInUser>& user) {
    std::lock_guard lock(g_lock);
    g_user = user;
}

std::optional<LoggedInUser> LoggedIn() {
    std::lock_guard lock(g_lock);
    return g_user;
}

bool MayAdminister() {
    std::lock_guard lock(g_lock);
    return !g_guarded || (g_user && g_user->role == UserRole::kAdministrator);
}

void RequireAdministrator(const std::string& what) {
    if (!MayAdminister()) throw CRefused("只有管理员可以" + what + "。");
}

}  // namespace lumetra
