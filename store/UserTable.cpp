#include "store/UserTable.h"

#include <algorithm>
#include <cctype>

#include "base/Gbk.h"
#include "store/ChangeJournal.h"
#include "store/Database.h"
#include "store/DbError.h"
#include "store/OwnTables.h"
#include "store/PasswordHash.h"
#include "store/SqlFormat.h"
#include "store/Statements.h"

namespace lumetra {
namespace {

// Every write first makes the stored roles agree with what the reads say: when no user is an
// administrator (the table is new, or was emptied by other means), every user becomes one.
constexpr OwnTable kRoles = {
    "lumetra_user_role",
    "create table if not exists lumetra_user_role (name text primary key, administrator integer not null);"
    "insert or replace into lumetra_user_role (name, administrator) select distinct 用户名, 1 from user "
    "where "
    "not exists (select 1 from user u join lumetra_user_role r on r.name=u.用户名 where r.administrator=1)",
    16};

constexpr const char* kSelectUserRoles =
    "select u.用户名 as name, coalesce(r.administrator, 0) as administrator from user u left join "
    "lumetra_user_role r on r.name=u.用户名";
constexpr const char* kSetRole =
    "insert or replace into lumetra_user_role (name, administrator) values ('%s', %d)";
constexpr const char* kDeleteRole = "delete from lumetra_user_role where name='%s'";

// ASCII blanks and the ideographic space a Chinese keyboard types.
constexpr std::string_view kIdeographicSpace = "\u3000";

bool BlankAt(std::string_view text, size_t at, size_t* length) {
    if (std::isspace(static_cast<unsigned char>(text[at]))) return *length = 1, true;
    if (text.substr(at).starts_with(kIdeographicSpace)) return *length = kIdeographicSpace.size(), true;
    return false;
}

bool EndsWithBlank(std::string_view text, size_t* length) {
    if (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) return *length = 1, true;
    if (text.ends_with(kIdeographicSpace)) return *length = kIdeographicSpace.size(), true;
    return false;
}

std::string Trimmed(std::string_view name) {
    size_t length = 0;
    while (!name.empty() && BlankAt(name, 0, &length)) name.remove_prefix(length);
    while (EndsWithBlank(name, &length)) name.remove_suffix(length);
    return std::string(name);
}

// Two names are the same user when they differ only in letter case or blanks.
std::string NameKey(const std::string& name) {
    std::string key;
    for (size_t i = 0, length = 1; i < name.size(); i += length) {
        length = 1;
        if (BlankAt(name, i, &length)) continue;
        key += static_cast<char>(std::tolower(static_cast<unsigned char>(name[i])));
    }
    return key;
}

void RequireUsable(const std::string& name, const std::string& password) {
    if (name.empty()) throw CRefused("请输入用户名");
    if (password.empty()) throw CRefused("请输入密码");
    // Names and passwords are kept to what GBK can hold, like every other text of the system.
    if (!Utf8ToGbk(name) || !Utf8ToGbk(password))
        throw CRefused("用户名和密码只能使用中文、字母、数字和常用符号");
}

// "张老师（操作员）": how the history and the questions name a user.
std::string Described(const std::string& name, UserRole role) {
    return name + "（" + UserRoleText(role) + "）";
}

}  // namespace

std::vector<UserRow> CUserTable::AllUsers() const {
    std::vector<UserRow> users;
    CRecordset rows(m_db);
    const bool roles = OwnTableExists(m_db, kRoles);
    rows.Open(roles ? kSelectUserRoles : sql::kSelectUsers);
    for (; !rows.AtEnd(); rows.MoveNext()) {
        const bool administrator = roles && rows.GetFieldInt("administrator") != 0;
        users.push_back({rows.GetFieldText(roles ? "name" : "用户名"),
                         administrator ? UserRole::kAdministrator : UserRole::kOperator});
    }
    const bool anyAdministrator = std::any_of(users.begin(), users.end(), [](const UserRow& user) {
        return user.role == UserRole::kAdministrator;
    });
    if (!anyAdministrator)
        for (UserRow& user : users) user.role = UserRole::kAdministrator;
    return users;
}

std::vector<UserRow> CUserTable::Users(size_t limit) const {
    std::vector<UserRow> users = AllUsers();
    if (users.size() > limit) users.resize(limit);
    return users;
}

UserRow CUserTable::Find(const std::string& name) const {
    for (const UserRow& user : AllUsers())
        if (user.name == name) return user;
    return {name, UserRole::kOperator};
}

bool CUserTable::IsLastAdministrator(const std::string& name) const {
    bool named = false, others = false;
    for (const UserRow& user : AllUsers()) {
        if (user.role != UserRole::kAdministrator) continue;
        (user.name == name ? named : others) = true;
    }
    return named && !others;
}

LoginCheck CUserTable::CheckLogin(const std::string& name, const std::string& password) const {
    CRecordset rows(m_db);
    rows.Open(sql::kSelectUsers);
    for (; !rows.AtEnd(); rows.MoveNext()) {
        if (rows.GetFieldText("用户名") != name) continue;
        const std::string stored = rows.GetFieldText("密码");
        if (!PasswordMatches(stored, password)) return LoginCheck::kWrongPassword;
        return IsPasswordHash(stored) ? LoginCheck::kAccepted : LoginCheck::kAcceptedAsTyped;
    }
    return LoginCheck::kNoSuchUser;
}

void CUserTable::RehashAsTyped(const std::string& name, const std::string& password) {
    if (CheckLogin(name, password) != LoginCheck::kAcceptedAsTyped) return;
    m_db.ExecuteSql(FormatSql(sql::kSetPassword, HashPassword(password), name));
}

std::string CUserTable::Insert(const std::string& typedName, const std::string& password, UserRole role) {
    RequireAdministrator("添加用户");
    const std::string name = Trimmed(typedName);
    RequireUsable(name, password);
    const std::vector<UserRow> users = AllUsers();
    for (const UserRow& user : users)
        if (NameKey(user.name) == NameKey(name))
            throw CRefused("用户名“" + name + "”与已有的用户“" + user.name +
                           "”相同（不分大小写和空格），请换一个用户名");
    if (users.size() >= kMaxUsers)
        throw CRefused("最多只能有" + std::to_string(kMaxUsers) + "个用户，请先删除不用的用户");
    WriteOwnTable(m_db, kRoles,
                  {FormatSql(sql::kInsertUser, name, HashPassword(password)),
                   FormatSql(kSetRole, name, role == UserRole::kAdministrator ? 1 : 0)});
    JournalChange(HistoryKind::kUserAdded, Described(name, role));
    return name;
}

void CUserTable::Change(const std::string& name, const UserChange& change) {
    const UserRow user = Find(name);
    const bool newRole = change.role && *change.role != user.role;
    std::vector<std::string> statements;
    if (change.password) {
        const std::optional<LoggedInUser> loggedIn = LoggedIn();
        const bool own = loggedIn && loggedIn->name == name;
        if (own && !change.oldPassword) throw CRefused("修改自己的密码须输入原密码");
        if (!own) RequireAdministrator("修改其他用户的密码");
        if (change.oldPassword) {
            const LoginCheck check = CheckLogin(name, *change.oldPassword);
            if (check != LoginCheck::kAccepted && check != LoginCheck::kAcceptedAsTyped)
                throw CRefused("原密码错误，请重新输入！");
        }
        RequireUsable(name, *change.password);
        statements.push_back(FormatSql(sql::kSetPassword, HashPassword(*change.password), name));
    }
    if (newRole) {
        RequireAdministrator("更改用户的角色");
        if (*change.role == UserRole::kOperator && IsLastAdministrator(name))
            throw CRefused("“" + name + "”是最后一个管理员，不能改为操作员");
        statements.push_back(FormatSql(kSetRole, name, *change.role == UserRole::kAdministrator ? 1 : 0));
    }
    if (statements.empty()) return;
    WriteOwnTable(m_db, kRoles, statements);
    const std::optional<LoggedInUser> loggedIn = LoggedIn();
    if (newRole && loggedIn && loggedIn->name == name) SetLoggedIn(LoggedInUser{name, *change.role});
    if (newRole)
        JournalChange(
            *change.role == UserRole::kAdministrator ? HistoryKind::kUserPromoted : HistoryKind::kUserDemoted,
            Described(name, *change.role));
    if (change.password) JournalChange(HistoryKind::kPasswordChanged, name);
}

std::optional<std::string> CUserTable::DeleteRefusal(const std::string& name) const {
    if (!MayAdminister()) return "只有管理员可以删除用户。";
    const std::optional<LoggedInUser> user = LoggedIn();
    if (user && user->name == name) return "不能删除当前登录的用户“" + name + "”";
    if (IsLastAdministrator(name))
        return "不能删除最后一个管理员“" + name + "”，否则没有人能再管理用户和设置";
    return std::nullopt;
}

void CUserTable::Delete(const std::string& name) {
    if (const std::optional<std::string> refusal = DeleteRefusal(name)) throw CRefused(*refusal);
    const UserRole role = Find(name).role;
    WriteOwnTable(m_db, kRoles, {FormatSql(sql::kDeleteUser, name), FormatSql(kDeleteRole, name)});
    JournalChange(HistoryKind::kUserDeleted, Described(name, role));
}

}  // namespace lumetra
