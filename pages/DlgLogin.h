// The login window "用户登录": an owned pop-up of the main window. A user name and password that
// match a row of `user` exactly unlock the main window's page buttons, as far as the user's role
// allows; nothing else does.
#pragma once

#include <QDialog>

#include "store/UserTable.h"

class QLineEdit;
class QPushButton;

namespace lumetra {

class CDlgLogin : public QDialog {
    Q_OBJECT
public:
    CDlgLogin(CDatabase& db, QWidget* owner);

    QLineEdit* UserEdit() const { return m_user; }
    QLineEdit* PasswordEdit() const { return m_password; }
    QPushButton* LoginButton() const { return m_login; }
    QPushButton* ExitButton() const { return m_exit; }

    // Shows the window centred over its owner, without waiting.
    void ShowCentred();

signals:
    void LoggedIn(const QString& userName, lumetra::UserRole role);

protected:
    // Enter logs in through the default button; Escape does not close the window.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void OnLogin();
    void CentreOverOwner();

    QLineEdit* m_user;
    QLineEdit* m_password;
    QPushButton* m_login;
    QPushButton* m_exit;
    CUserTable m_users;
};

}  // namespace lumetra
