#include "pages/UserPage.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "base/Gbk.h"
#include "pages/DbErrorReport.h"
#include "store/Database.h"
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

}  // namespace

CUserPage::CUserPage(CDatabase& db, QWidget* parent)
    : CPage(QRect(197, 140, 770, 470), parent), m_table(db), m_db(db) {
    m_list = new QTableWidget(0, 3, this);
    m_list->setHorizontalHeaderLabels(
        {QStringLiteral("序号"), QStringLiteral("用户名"), QStringLiteral("密码")});
    m_list->verticalHeader()->hide();
    m_list->setShowGrid(true);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setTabKeyNavigation(false);
    m_list->horizontalHeader()->setSectionsMovable(true);
    m_list->setColumnWidth(0, 50);
    m_list->setColumnWidth(1, 120);
    m_list->setColumnWidth(2, 120);

    m_user = new QLineEdit(this);
    m_password = new QLineEdit(this);
    m_password->setEchoMode(QLineEdit::Password);
    m_add = new QPushButton(QStringLiteral("添加(&A)"), this);
    m_modify = new QPushButton(QStringLiteral("修改(&C)"), this);
    m_delete = new QPushButton(QStringLiteral("删除(&D)"), this);
    m_save = new QPushButton(QStringLiteral("保存(&S)"), this);

    auto* fields = new QGroupBox(QStringLiteral("用户信息"), this);
    auto* grid = new QGridLayout(fields);
    grid->addWidget(new QLabel(QStringLiteral("用户名："), fields), 0, 0);
    grid->addWidget(m_user, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("密  码："), fields), 1, 0);
    grid->addWidget(m_password, 1, 1);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {m_add, m_modify, m_delete, m_save}) buttons->addWidget(button);
    grid->addLayout(buttons, 2, 0, 1, 2);
    grid->setRowStretch(3, 1);

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(m_list, 3);
    layout->addWidget(fields, 2);

    connect(m_add, &QPushButton::clicked, this, &CUserPage::OnAdd);
    connect(m_modify, &QPushButton::clicked, this, &CUserPage::OnModify);
    connect(m_delete, &QPushButton::clicked, this, &CUserPage::OnDelete);
    connect(m_save, &QPushButton::clicked, this, &CUserPage::OnSave);

    SetEditing(false, false);
    LoadUserList();
}

void CUserPage::SetEditing(bool userName, bool password) {
    m_user->setEnabled(userName);
    m_password->setEnabled(password);
    m_save->setEnabled(userName || password);
}

void CUserPage::LoadUserList() {
    m_list->setRowCount(0);
    m_userNames.clear();
    if (!m_db.IsOpen()) return;  // the operator was told at start that there is no database
    try {
        m_userNames = m_table.Names(kMaxUsers);
    } catch (const CDbError& error) {
        ReportDbError(this, error);
    }
    m_list->setRowCount(static_cast<int>(m_userNames.size()));
    for (int i = 0; i < static_cast<int>(m_userNames.size()); ++i) {
        m_list->setItem(i, 0, CentredItem(QString::number(i + 1)));
        m_list->setItem(i, 1, CentredItem(QString::fromStdString(m_userNames[i])));
        m_list->setItem(i, 2, CentredItem(kPasswordMask));
    }
}

int CUserPage::SelectedRow() const {
    const QList<QModelIndex> rows = m_list->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void CUserPage::OnAdd() {
    // Adding ends a change begun before: the next save inserts.
    m_modifying = false;
    m_user->clear();
    m_password->clear();
    m_password->setPlaceholderText({});
    SetEditing(true, true);
    m_user->setFocus();
}

void CUserPage::OnModify() {
    const int row = SelectedRow();
    if (row < 0) {
        ShowMessage(this, QStringLiteral("请选择要修改的项目！"));
        return;
    }
    m_modifying = true;
    m_user->setText(QString::fromStdString(m_userNames[row]));
    // Left untouched, the field keeps the stored password.
    m_password->clear();
    m_password->setModified(false);
    m_password->setPlaceholderText(QStringLiteral("不修改则保持原密码"));
    SetEditing(false, true);
    m_password->setFocus();
}

void CUserPage::OnDelete() {
    const int row = SelectedRow();
    if (row < 0) {
        ShowMessage(this, QStringLiteral("请选择要删除的项目！"));
        return;
    }
    if (!DeleteAllowed(m_userNames[row])) return;
    if (ShowMessage(this,
                    QStringLiteral("确定要删除用户“%1”吗？").arg(QString::fromStdString(m_userNames[row])),
                    MbButtons::kOkCancel, MbIcon::kQuestion, QStringLiteral("删除询问")) != MbResult::kOk)
        return;
    try {
        m_table.Delete(m_userNames[row]);
    } catch (const CDbError& error) {
        ReportDbError(this, error);
        return;
    }
    // Every row of that name went; the other rows keep their numbers until the next reload.
    const std::string name = m_userNames[row];
    for (int i = static_cast<int>(m_userNames.size()) - 1; i >= 0; --i) {
        if (m_userNames[i] != name) continue;
        m_list->removeRow(i);
        m_userNames.erase(m_userNames.begin() + i);
    }
}

// Somebody must be able to log in afterwards: neither the operator at the keyboard nor the last
// one goes. Rows deleted by name take every row of that name with them.
bool CUserPage::DeleteAllowed(const std::string& userName) {
    const QString name = QString::fromStdString(userName);
    if (userName == m_loggedInUser) {
        ShowMessage(this, QStringLiteral("不能删除当前登录的用户“%1”").arg(name));
        return false;
    }
    try {
        if (m_table.OthersThan(userName)) return true;
    } catch (const CDbError& error) {
        ReportDbError(this, error);
        return false;
    }
    ShowMessage(this, QStringLiteral("不能删除最后一个用户“%1”，否则没有人能再登录").arg(name));
    return false;
}

bool CUserPage::InsertAllowed(const QString& userName) {
    if (m_table.Exists(userName.toStdString())) {
        ShowMessage(this, QStringLiteral("用户名“%1”已存在，请换一个用户名").arg(userName));
        return false;
    }
    if (m_table.Count() < kMaxUsers) return true;
    ShowMessage(this, QStringLiteral("最多只能有%1个用户，请先删除不用的用户").arg(kMaxUsers));
    return false;
}

void CUserPage::OnSave() {
    const QString userName = m_user->text();
    const QString password = m_password->text();
    if (userName.isEmpty()) {
        ShowMessage(this, QStringLiteral("请输入用户名"));
        return;
    }
    // A changed operator whose password field was never touched keeps the stored password.
    const bool keepPassword = m_modifying && !m_password->isModified();
    if (password.isEmpty() && !keepPassword) {
        ShowMessage(this, QStringLiteral("请输入密码"));
        return;
    }
    // Names and passwords are kept to what GBK can hold, like every other text of the system.
    if (!Utf8ToGbk(userName.toStdString()) || !Utf8ToGbk(password.toStdString())) {
        ShowMessage(this, QStringLiteral("用户名和密码只能使用中文、字母、数字和常用符号"));
        return;
    }
    try {
        if (m_modifying) {
            if (!keepPassword) m_table.SetPassword(userName.toStdString(), password.toStdString());
            m_modifying = false;
        } else {
            if (!InsertAllowed(userName)) return;
            m_table.Insert(userName.toStdString(), password.toStdString());
        }
    } catch (const CDbError& error) {
        // Nothing was stored: the fields stay as typed so the operator can try again.
        ReportDbError(this, error);
        return;
    }
    LoadUserList();
    m_user->clear();
    m_password->clear();
    SetEditing(false, false);
}

}  // namespace lumetra
