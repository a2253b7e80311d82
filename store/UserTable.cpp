#include "store/UserTable.h"

#include "store/Database.h"
#include "store/SqlFormat.h"
#include "store/Statements.h"

namespace lumetra {

std::vector<UserRow> CUserTable::Read(size_t limit) const {
    CRecordset rows(m_db);
    rows.Open(sql::kSelectUsers);
    std::vector<UserRow> users;
    for (; !rows.IsEOF() && users.size() < limit; rows.MoveNext())
        users.push_back({rows.GetFieldText("用户名"), rows.GetFieldText("密码")});
    return users;
}

long CUserTable::Count() const {
    CRecordset rows(m_db);
    rows.OpenCounted(sql::kSelectUsers);
    return rows.GetRecordCount();
}

std::optional<std::string> CUserTable::PasswordOf(const std::string& name) const {
    CRecordset rows(m_db);
    rows.Open(sql::kSelectUsers);
    for (; !rows.IsEOF(); rows.MoveNext())
        if (rows.GetFieldText("用户名") == name) return rows.GetFieldText("密码");
    return std::nullopt;
}

void CUserTable::Insert(const std::string& name, const std::string& password) {
    m_db.ExecuteSql(FormatSql(sql::kInsertUser, name, password));
}

void CUserTable::SetPassword(const std::string& name, const std::string& password) {
    m_db.ExecuteSql(FormatSql(sql::kSetPassword, password, name));
}

void CUserTable::Delete(const std::string& name) {
    m_db.ExecuteSql(FormatSql(sql::kDeleteUser, name));
}

}  // namespace lumetra
