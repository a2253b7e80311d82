#include "store/UserTable.h"

#include "store/Database.h"
#include "store/PasswordHash.h"
#include "store/SqlFormat.h"
#include "store/Statements.h"

namespace lumetra {
namespace {

template <typename Test>
bool AnyName(CDatabase& db, const Test& test) {
    CRecordset rows(db);
    rows.Open(sql::kSelectUsers);
    for (; !rows.IsEOF(); rows.MoveNext())
        if (test(rows.GetFieldText("用户名"))) return true;
    return false;
}

}  // namespace

std::vector<std::string> CUserTable::Names(size_t limit) const {
    CRecordset rows(m_db);
    rows.Open(sql::kSelectUsers);
    std::vector<std::string> names;
    for (; !rows.IsEOF() && names.size() < limit; rows.MoveNext())
        names.push_back(rows.GetFieldText("用户名"));
    return names;
}

long CUserTable::Count() const {
    CRecordset rows(m_db);
    rows.OpenCounted(sql::kSelectUsers);
    return rows.GetRecordCount();
}

bool CUserTable::Exists(const std::string& name) const {
    return AnyName(m_db, [&](const std::string& stored) { return stored == name; });
}

bool CUserTable::OthersThan(const std::string& name) const {
    return AnyName(m_db, [&](const std::string& stored) { return stored != name; });
}

LoginCheck CUserTable::CheckLogin(const std::string& name, const std::string& password) const {
    CRecordset rows(m_db);
    rows.Open(sql::kSelectUsers);
    for (; !rows.IsEOF(); rows.MoveNext()) {
        if (rows.GetFieldText("用户名") != name) continue;
        const std::string stored = rows.GetFieldText("密码");
        if (!PasswordMatches(stored, password)) return LoginCheck::kWrongPassword;
        return IsPasswordHash(stored) ? LoginCheck::kAccepted : LoginCheck::kAcceptedAsTyped;
    }
    return LoginCheck::kNoSuchUser;
}

void CUserTable::Insert(const std::string& name, const std::string& password) {
    m_db.ExecuteSql(FormatSql(sql::kInsertUser, name, HashPassword(password)));
}

void CUserTable::SetPassword(const std::string& name, const std::string& password) {
    m_db.ExecuteSql(FormatSql(sql::kSetPassword, HashPassword(password), name));
}

void CUserTable::Delete(const std::string& name) {
    m_db.ExecuteSql(FormatSql(sql::kDeleteUser, name));
}

}  // namespace lumetra
