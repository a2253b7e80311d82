#include "pages/DlgLogin.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "pages/DbErrorReport.h"
#include "store/DbError.h"
#include "widgets/MessageBox.h"

namespace lumetra {

CDlgLogin::CDlgLogin(CDatabase& db, QWidget* owner) : QDialog(owner), m_users(db) {
    setWindowTitle(QStringLiteral("用户登录"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    auto* picture = new QLabel(this);
    picture->setPixmap(QPixmap(QStringLiteral(":/images/login.png")));
    picture->setFixedSize(306, 76);

    m_user = new QLineEdit(this);
    m_password = new QLineEdit(this);
    m_password->setEchoMode(QLineEdit::Password);
    auto* fields = new QFormLayout;
    fields->addRow(QStringLiteral("用户名："), m_user);
    fields->addRow(QStringLiteral("密  码："), m_password);

    m_login = new QPushButton(QStringLiteral("登录(&L)"), this);
    m_login->setDefault(true);
    m_exit = new QPushButton(QStringLiteral("退出(&E)"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_login);
    buttons->addWidget(m_exit);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(picture, 0, Qt::AlignHCenter);
    layout->addLayout(fields);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_login, &QPushButton::clicked, this, &CDlgLogin::OnLogin);
    // Leaving, like the close box, only hides the window; the page buttons stay locked.
    connect(m_exit, &QPushButton::clicked, this, &CDlgLogin::reject);
}

void CDlgLogin::ShowCentred() {
    show();
    CentreOverOwner();
    raise();
    activateWindow();
}

void CDlgLogin::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) return event->accept();
    QDialog::keyPressEvent(event);
}

void CDlgLogin::CentreOverOwner() {
    if (QWidget* owner = parentWidget()) {
        const QRect area = owner->frameGeometry();
        move(area.center() - QPoint(frameGeometry().width() / 2, frameGeometry().height() / 2));
    }
}

void CDlgLogin::OnLogin() {
    const QString userName = m_user->text();
    const std::string password = m_password->text().toStdString();
    LoginCheck check;
    try {
        check = m_users.CheckLogin(userName.toStdString(), password);
    } catch (const CDbError& error) {
        ReportDbError(this, error);
        return;
    }
    if (check == LoginCheck::kNoSuchUser) {
        ShowMessage(this, QStringLiteral("用户名错误，请重新输入！"));
        m_user->clear();
        m_password->clear();
        return;
    }
    if (check == LoginCheck::kWrongPassword) {
        ShowMessage(this, QStringLiteral("密码错误，请重新输入！"));
        m_password->clear();
        return;
    }
    if (check == LoginCheck::kAcceptedAsTyped) {
        // A row from before passwords were hashed: it is hashed now. Failing that, the login
        // still stands and the row keeps working as it did.
        try {
            m_users.RehashAsTyped(userName.toStdString(), password);
        } catch (const CDbError& error) {
            ReportDbError(this, error);
        }
    }
    UserRole role;
    try {
        role = m_users.Find(userName.toStdString()).role;
    } catch (const CDbError& error) {
        ReportDbError(this, error);
        return;
    }
    m_user->clear();
    m_password->clear();
    emit LoggedIn(userName, role);
    accept();
}

}  // namespace lumetra
