// The user management page: lists the operators (at most the first 100 rows of `user`) and adds,
// changes and deletes operators. Stored passwords are never shown nor read back into a field.
#pragma once

#include <string>
#include <vector>

#include "pages/Page.h"
#include "store/UserTable.h"

class QLineEdit;
class QPushButton;
class QTableWidget;

namespace lumetra {

class CUserPage : public CPage {
    Q_OBJECT
public:
    static constexpr int kMaxUsers = 100;

    CUserPage(CDatabase& db, QWidget* parent);

    // Rebuilds the list from `user`.
    void LoadUserList();
    // The operator logged in now (empty when none), who may not be deleted.
    void SetLoggedInUser(const QString& userName) { m_loggedInUser = userName.toStdString(); }

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
    bool InsertAllowed(const QString& userName);
    bool DeleteAllowed(const std::string& userName);

    QTableWidget* m_list;
    QLineEdit* m_user;
    QLineEdit* m_password;
    QPushButton* m_add;
    QPushButton* m_modify;
    QPushButton* m_delete;
    QPushButton* m_save;
    bool m_modifying = false;
    CUserTable m_table;
    CDatabase& m_db;
    // The listed rows' names, in list order.
    std::vector<std::string> m_userNames;
    std::string m_loggedInUser;
};

}  // namespace lumetra
