// The user management page: lists the operators (at most the first 100 rows of `user`) with their
// passwords shown as one "*" per GBK byte, and adds, changes and deletes operators.
#pragma once

#include <string>
#include <vector>

#include "pages/Page.h"
#include "store/UserTable.h"

class QLineEdit;
class QPushButton;
class QTableWidget;

namespace lumetra {

class CDlgUser : public CPage {
    Q_OBJECT
public:
    static constexpr int kMaxUsers = 100;

    CDlgUser(CDatabase& db, QWidget* parent);

    // Rebuilds the list from `user`.
    void LoadUserList();

    QTableWidget* List() const { return m_list; }
    QLineEdit* UserEdit() const { return m_user; }
    QLineEdit* PasswordEdit() const { return m_password; }
    QPushButton* AddButton() const { return m_add; }
    QPushButton* ModifyButton() const { return m_modify; }
    QPushButton* DeleteButton() const { return m_delete; }
    QPushButton* SaveButton() const { return m_save; }

private:
    void OnAdd();
    void OnModify();
    void OnDelete();
    void OnSave();
    int SelectedRow() const;  // -1 when no row is selected
    void SetEditing(bool userName, bool password);
    bool InsertAllowed();

    QTableWidget* m_list;   // 1000
    QLineEdit* m_user;      // 1021
    QLineEdit* m_password;  // 2042
    QPushButton* m_add;     // 2029
    QPushButton* m_modify;  // 2036
    QPushButton* m_delete;  // 2035
    QPushButton* m_save;    // 2038
    bool m_bModify = false;
    CUserTable m_table;
    CDatabase& m_db;
    // The listed rows' names and passwords, in list order.
    std::vector<std::string> m_userNames;
    std::vector<std::string> m_passwords;
};

// The password column: one "*" for every byte of the password in GBK. A password that GBK
// cannot encode (stored by another tool) counts its UTF-8 bytes instead.
QString PasswordStars(const std::string& password);

}  // namespace lumetra
