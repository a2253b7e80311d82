#include "pages/UserPage.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "pages/DbErrorReport.h"
#include "store/Database.h"
#include "store/DbError.h"
#include "widgets/AdministratorOnly.h"
#include "widgets/MessageBox.h"

namespace lumetra {
namespace {

QTableWidgetItem* CentredItem(const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setTextAlignment(Qt::AlignCenter);
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    return item;
}

// The password column says only that a password is set: its length would tell too much.
const QString kPasswordMask = QStringLiteral("******");

QString RoleText(UserRole role) {
    return QString::fromUtf8(UserRoleText(role));
}

QLineEdit* PasswordField(QWidget* parent) {
    auto* field = new QLineEdit(parent);
    field->setEchoMode(QLineEdit::Password);
    return field;
}

}  // namespace

CUserPage::CUserPage(CDatabase& db, QWidget* parent)
    : CPage(QRect(197, 140, 770, 470), parent), m_table(db), m_db(db) {
    m_list = new QTableWidget(0, 4, this);
    m_list->setHorizontalHeaderLabels(
        {QStringLiteral("序号"), QStringLiteral("用户名"), QStringLiteral("角色"), QStringLiteral("密码")});
    m_list->verticalHeader()->hide();
    m_list->setShowGrid(true);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setTabKeyNavigation(false);
    m_list->horizontalHeader()->setSectionsMovable(true);
    m_list->setColumnWidth(0, 50);
    m_list->setColumnWidth(1, 120);
    m_list->setColumnWidth(2, 80);
    m_list->setColumnWidth(3, 120);

    m_user = new QLineEdit(this);
    m_role = new QComboBox(this);
    m_role->addItem(RoleText(UserRole::kOperator), static_cast<int>(UserRole::kOperator));
    m_role->addItem(RoleText(UserRole::kAdministrator), static_cast<int>(UserRole::kAdministrator));
    m_oldPassword = PasswordField(this);
    m_password = PasswordField(this);
    m_confirm = PasswordField(this);
    m_add = new QPushButton(QStringLiteral("添加(&A)"), this);
    m_modify = new QPushButton(QStringLiteral("修改(&C)"), this);
    m_delete = new QPushButton(QStringLiteral("删除(&D)"), this);
    m_save = new QPushButton(QStringLiteral("保存(&S)"), this);

    auto* fields = new QGroupBox(QStringLiteral("用户信息"), this);
    auto* grid = new QGridLayout(fields);
    const std::pair<const char*, QWidget*> rows[] = {{"用户名：", m_user},
                                                     {"角  色：", m_role},
                                                     {"原密码：", m_oldPassword},
                                                     {"新密码：", m_password},
                                                     {"确认密码：", m_confirm}};
    int row = 0;
    for (const auto& [label, field] : rows) {
        grid->addWidget(new QLabel(QString::fromUtf8(label), fields), row, 0);
        grid->addWidget(field, row++, 1);
    }
    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {m_add, m_modify, m_delete, m_save}) buttons->addWidget(button);
    grid->addLayout(buttons, row, 0, 1, 2);
    grid->setRowStretch(row + 1, 1);

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(m_list, 3);
    layout->addWidget(fields, 2);

    connect(m_add, &QPushButton::clicked, this, &CUserPage::OnAdd);
    connect(m_modify, &QPushButton::clicked, this, &CUserPage::OnModify);
    connect(m_delete, &QPushButton::clicked, this, &CUserPage::OnDelete);
    connect(m_save, &QPushButton::clicked, this, &CUserPage::OnSave);

    LoadUserList();
}

UserRole CUserPage::ChosenRole() const {
    return static_cast<UserRole>(m_role->currentData().toInt());
}

void CUserPage::SetEditing(bool adding, bool modifying, bool ownRow) {
    m_user->setEnabled(adding);
    m_role->setEnabled((adding || modifying) && MayAdminister());
    m_oldPassword->setEnabled(modifying && ownRow);
    m_password->setEnabled(adding || modifying);
    m_confirm->setEnabled(adding || modifying);
    m_save->setEnabled(adding || modifying);
    for (QLineEdit* field : {m_user, m_oldPassword, m_password, m_confirm}) {
        field->clear();
        field->setModified(false);
        field->setPlaceholderText({});
    }
}

void CUserPage::LoadUserList() {
    m_list->setRowCount(0);
    m_users.clear();
    m_modifying = false;
    const bool administering = MayAdminister();
    AllowAdministratorsOnly(m_add, administering);
    AllowAdministratorsOnly(m_delete, administering);
    SetEditing(false, false, false);
    if (!m_db.IsOpen()) return;  // the operator was told at start that there is no database
    try {
        m_users = m_table.Users(kMaxUsers);
    } catch (const CDbError& error) {
        ReportDbError(this, error);
    }
    // An operator sees only their own row: the others' names and roles are not theirs to manage.
    if (!administering) {
        const std::optional<LoggedInUser> user = LoggedIn();
        std::erase_if(m_users, [&](const UserRow& row) { return !user || row.name != user->name; });
    }
    m_list->setRowCount(static_cast<int>(m_users.size()));
    for (int i = 0; i < static_cast<int>(m_users.size()); ++i) {
        m_list->setItem(i, 0, CentredItem(QString::number(i + 1)));
        m_list->setItem(i, 1, CentredItem(QString::fromStdString(m_users[i].name)));
        m_list->setItem(i, 2, CentredItem(RoleText(m_users[i].role)));
        m_list->setItem(i, 3, CentredItem(kPasswordMask));
    }
}

int CUserPage::SelectedRow() const {
    const QList<QModelIndex> rows = m_list->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void CUserPage::OnAdd() {
    // Adding ends a change begun before: the next save inserts.
    m_modifying = false;
    SetEditing(true, false, false);
    m_role->setCurrentIndex(m_role->findData(static_cast<int>(UserRole::kOperator)));
    m_user->setFocus();
}

void CUserPage::OnModify() {
    const int row = SelectedRow();
    if (row < 0) {
        ShowMessage(this, QStringLiteral("请选择要修改的项目！"));
        return;
    }
    m_modifying = true;
    m_changing = m_users[row];
    const std::optional<LoggedInUser> user = LoggedIn();
    const bool own = user && user->name == m_changing.name;
    SetEditing(false, true, own);
    m_user->setText(QString::fromStdString(m_changing.name));
    m_role->setCurrentIndex(m_role->findData(static_cast<int>(m_changing.role)));
    // Left empty, the fields keep the stored password.
    for (QLineEdit* field : {m_password, m_confirm})
        field->setPlaceholderText(QStringLiteral("不修改则保持原密码"));
    (own ? m_oldPassword : m_password)->setFocus();
}

void CUserPage::OnDelete() {
    const int row = SelectedRow();
    if (row < 0) {
        ShowMessage(this, QStringLiteral("请选择要删除的项目！"));
        return;
    }
    const UserRow user = m_users[row];
    try {
        if (const std::optional<std::string> refusal = m_table.DeleteRefusal(user.name)) {
            ShowMessage(this, QString::fromStdString(*refusal), MbButtons::kOk, MbIcon::kWarning);
            return;
        }
        if (ShowMessage(this,
                        QString::fromStdString("确定要删除用户“" + user.name + "”（" +
                                               UserRoleText(user.role) + "）吗？"),
                        MbButtons::kOkCancel, MbIcon::kQuestion, QStringLiteral("删除询问")) != MbResult::kOk)
            return;
        m_table.Delete(user.name);
    } catch (const CDbError& error) {
        ReportDbError(this, error);
        return;
    }
    // Every row of that name went; the other rows keep their numbers until the next reload.
    for (int i = static_cast<int>(m_users.size()) - 1; i >= 0; --i) {
        if (m_users[i].name != user.name) continue;
        m_list->removeRow(i);
        m_users.erase(m_users.begin() + i);
    }
}

bool CUserPage::SaveAdded() {
    if (m_password->text() != m_confirm->text()) {
        ShowMessage(this, QStringLiteral("两次输入的密码不一致，请重新输入"));
        return false;
    }
    m_table.Insert(m_user->text().toStdString(), m_password->text().toStdString(), ChosenRole());
    return true;
}

bool CUserPage::SaveChanged() {
    UserChange change;
    const bool own = m_oldPassword->isEnabled();
    const bool newPassword = !m_password->text().isEmpty() || !m_confirm->text().isEmpty() ||
                             (own && !m_oldPassword->text().isEmpty());
    if (newPassword) {
        if (m_password->text().isEmpty()) {
            ShowMessage(this, QStringLiteral("请输入密码"));
            return false;
        }
        if (m_password->text() != m_confirm->text()) {
            ShowMessage(this, QStringLiteral("两次输入的密码不一致，请重新输入"));
            return false;
        }
        change.password = m_password->text().toStdString();
        if (own) change.oldPassword = m_oldPassword->text().toStdString();
    }
    if (m_role->isEnabled() && ChosenRole() != m_changing.role) change.role = ChosenRole();
    m_table.Change(m_changing.name, change);
    if (change.role && own) emit OwnRoleChanged();
    if (change.password)
        ShowMessage(this, QStringLiteral("密码已修改"), MbButtons::kOk, MbIcon::kInformation);
    return true;
}

void CUserPage::OnSave() {
    try {
        if (!(m_modifying ? SaveChanged() : SaveAdded())) return;
    } catch (const CDbError& error) {
        // Nothing was stored: the fields stay as typed so the operator can try again.
        ReportDbError(this, error);
        return;
    }
    LoadUserList();
}

}  // namespace lumetra
