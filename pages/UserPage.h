// The user management page: lists the users (at most the first 100 rows of `user`) with their
// roles. An administrator adds users, sets their passwords and roles and deletes them; an operator
// sees only their own row and changes only their own password. Stored passwords are never shown
// nor read back into a field.
#pragma once

#include <string>
#include <vector>

#include "pages/Page.h"
#include "store/UserTable.h"

class QComboBox;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace lumetra {

class CUserPage : public CPage {
    Q_OBJECT
public:
    static constexpr int kMaxUsers = static_cast<int>(CUserTable::kMaxUsers);

    CUserPage(CDatabase& db, QWidget* parent);

    // Rebuilds the list from `user` for whoever is logged in now, and enables what they may use.
    void LoadUserList();

    QTableWidget* List() const { return m_list; }
    QLineEdit* UserEdit() const { return m_user; }
    QComboBox* RoleBox() const { return m_role; }
    QLineEdit* OldPasswordEdit() const { return m_oldPassword; }
    QLineEdit* PasswordEdit() const { return m_password; }
    QLineEdit* ConfirmEdit() const { return m_confirm; }
    QPushButton* AddButton() const { return m_add; }
    QPushButton* ModifyButton() const { return m_modify; }
    QPushButton* DeleteButton() const { return m_delete; }
    QPushButton* SaveButton() const { return m_save; }

signals:
    // The logged-in user changed their own role: what they may use changes with it.
    void OwnRoleChanged();

private:
    void OnAdd();
    void OnModify();
    void OnDelete();
    void OnSave();
    // Stores the fields; false when refused, with the operator told why.
    bool SaveAdded();
    bool SaveChanged();
    int SelectedRow() const;  // -1 when no row is selected
    void SetEditing(bool adding, bool modifying, bool ownRow);
    UserRole ChosenRole() const;

    QTableWidget* m_list;
    QLineEdit* m_user;
    QComboBox* m_role;
    QLineEdit* m_oldPassword;
    QLineEdit* m_password;
    QLineEdit* m_confirm;
    QPushButton* m_add;
    QPushButton* m_modify;
    QPushButton* m_delete;
    QPushButton* m_save;
    bool m_modifying = false;
    CUserTable m_table;
    CDatabase& m_db;
    // The listed rows, in list order.
    std::vector<UserRow> m_users;
    UserRow m_changing;  // the row being modified
};

}  // namespace lumetra
