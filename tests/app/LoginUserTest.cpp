// The login window and the user management page on a real database file.
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QtTest>
#include <memory>

#include "AppDatabase.h"
#include "ScriptedMessageBoxes.h"
#include "pages/DlgLogin.h"
#include "pages/DlgUser.h"

using namespace lumetra;
using namespace lumetra::test;

class LoginUserTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<CAppDatabase> m_db;
    std::unique_ptr<CScriptedMessageBoxes> m_boxes;

    QStringList Cells(const CDlgUser& page, int column) {
        QStringList cells;
        for (int row = 0; row < page.List()->rowCount(); ++row)
            cells << page.List()->item(row, column)->text();
        return cells;
    }
    std::vector<std::string> StoredNames() { return m_db->Column("select * from user", "用户名"); }
    void AddUser(CDlgUser& page, const QString& name, const QString& password) {
        QTest::mouseClick(page.AddButton(), Qt::LeftButton);
        page.UserEdit()->setText(name);
        page.PasswordEdit()->setText(password);
        QTest::mouseClick(page.SaveButton(), Qt::LeftButton);
    }
    void SelectRow(CDlgUser& page, int row) { page.List()->selectRow(row); }

private slots:
    void init() {
        m_db = std::make_unique<CAppDatabase>();
        m_boxes = std::make_unique<CScriptedMessageBoxes>();
    }
    void cleanup() {
        m_boxes.reset();
        m_db.reset();
    }

    void loginChecksNameThenPassword_data() {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("userLeft");
        QTest::addColumn<bool>("loggedIn");
        QTest::newRow("unknown user") << "nobody"
                                      << "admin"
                                      << "用户名错误，请重新输入！"
                                      << "" << false;
        QTest::newRow("other letter case") << "Admin"
                                           << "admin"
                                           << "用户名错误，请重新输入！"
                                           << "" << false;
        QTest::newRow("wrong password keeps the name") << "admin"
                                                       << "Admin"
                                                       << "密码错误，请重新输入！"
                                                       << "admin" << false;
        QTest::newRow("empty password") << "admin"
                                        << ""
                                        << "密码错误，请重新输入！"
                                        << "admin" << false;
        QTest::newRow("right") << "admin"
                               << "admin"
                               << ""
                               << "" << true;
    }
    void loginChecksNameThenPassword() {
        QFETCH(QString, user);
        QFETCH(QString, password);
        QFETCH(QString, message);
        QFETCH(QString, userLeft);
        QFETCH(bool, loggedIn);
        CDlgLogin login(nullptr);
        QSignalSpy spy(&login, &CDlgLogin::LoggedIn);
        login.ShowCentred();
        login.UserEdit()->setText(user);
        login.PasswordEdit()->setText(password);
        QTest::mouseClick(login.LoginButton(), Qt::LeftButton);
        QCOMPARE(spy.count(), loggedIn ? 1 : 0);
        QCOMPARE(m_boxes->Texts(), message.isEmpty() ? QStringList() : QStringList{message});
        QCOMPARE(login.UserEdit()->text(), userLeft);
        QCOMPARE(login.PasswordEdit()->text(), QString());
        QCOMPARE(login.isVisible(), !loggedIn);
    }

    void loginUsesTheFirstRowOfADuplicatedName() {
        m_db->Exec("insert into user (用户名,密码) values ('admin','second')");
        CDlgLogin login(nullptr);
        QSignalSpy spy(&login, &CDlgLogin::LoggedIn);
        login.UserEdit()->setText("admin");
        login.PasswordEdit()->setText("second");
        QTest::mouseClick(login.LoginButton(), Qt::LeftButton);
        QCOMPARE(spy.count(), 0);
        QCOMPARE(m_boxes->Texts(), QStringList{"密码错误，请重新输入！"});
    }

    void exitHidesWithoutLoggingIn() {
        CDlgLogin login(nullptr);
        QSignalSpy spy(&login, &CDlgLogin::LoggedIn);
        login.ShowCentred();
        login.UserEdit()->setText("admin");
        login.PasswordEdit()->setText("admin");
        QTest::mouseClick(login.ExitButton(), Qt::LeftButton);
        QVERIFY(!login.isVisible());
        QCOMPARE(spy.count(), 0);
    }

    void listShowsNumbersNamesAndStars_data() {
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("stars");
        QTest::newRow("three Latin letters") << "abc"
                                             << "***";
        QTest::newRow("two Chinese characters") << "密码"
                                                << "****";
        QTest::newRow("mixed") << "a中1"
                               << "****";
    }
    void listShowsNumbersNamesAndStars() {
        QFETCH(QString, password);
        QFETCH(QString, stars);
        m_db->Exec("insert into user (用户名,密码) values ('张三','" + password.toStdString() + "')");
        CDlgUser page(nullptr);
        QCOMPARE(Cells(page, 0), (QStringList{"1", "2"}));
        QCOMPARE(Cells(page, 1), (QStringList{"admin", "张三"}));
        QCOMPARE(Cells(page, 2), (QStringList{"*****", stars}));
    }

    void addSavesAndReloads() {
        CDlgUser page(nullptr);
        QVERIFY(!page.UserEdit()->isEnabled());
        QVERIFY(!page.SaveButton()->isEnabled());
        AddUser(page, "o'brien", "pw");
        QVERIFY(m_boxes->Shown().empty());
        QCOMPARE(StoredNames(), (std::vector<std::string>{"admin", "o'brien"}));
        QCOMPARE(Cells(page, 1), (QStringList{"admin", "o'brien"}));
        QVERIFY(!page.UserEdit()->isEnabled());
        QVERIFY(!page.PasswordEdit()->isEnabled());
        QVERIFY(!page.SaveButton()->isEnabled());
    }

    void saveRefusesEmptyFields_data() {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("message");
        QTest::newRow("no name") << ""
                                 << "pw"
                                 << "请输入用户名";
        QTest::newRow("no password") << "bob"
                                     << ""
                                     << "请输入密码";
        QTest::newRow("neither") << ""
                                 << ""
                                 << "请输入用户名";
        QTest::newRow("emoji") << "bob"
                               << "pw\U0001F600"
                               << "用户名和密码只能使用中文、字母、数字和常用符号";
    }
    void saveRefusesEmptyFields() {
        QFETCH(QString, user);
        QFETCH(QString, password);
        QFETCH(QString, message);
        CDlgUser page(nullptr);
        AddUser(page, user, password);
        QCOMPARE(m_boxes->Texts(), QStringList{message});
        QCOMPARE(StoredNames(), std::vector<std::string>{"admin"});
        QVERIFY(page.SaveButton()->isEnabled());  // still editing: the operator can correct it
    }

    void modifyNeedsASelection() {
        CDlgUser page(nullptr);
        QTest::mouseClick(page.ModifyButton(), Qt::LeftButton);
        QTest::mouseClick(page.DeleteButton(), Qt::LeftButton);
        QCOMPARE(m_boxes->Texts(), (QStringList{"请选择要修改的项目！", "请选择要删除的项目！"}));
    }

    void modifyChangesOnlyThePassword() {
        AddUserRow("bob", "old");
        CDlgUser page(nullptr);
        SelectRow(page, 1);
        QTest::mouseClick(page.ModifyButton(), Qt::LeftButton);
        QCOMPARE(page.UserEdit()->text(), QString("bob"));
        QVERIFY(!page.UserEdit()->isEnabled());
        QVERIFY(page.PasswordEdit()->isEnabled());
        // The field holds the stored password: saving untouched keeps it.
        QCOMPARE(page.PasswordEdit()->text(), QString("old"));
        QTest::mouseClick(page.SaveButton(), Qt::LeftButton);
        QCOMPARE(m_db->Column("select * from user where 用户名='bob'", "密码"),
                 std::vector<std::string>{"old"});

        SelectRow(page, 1);
        QTest::mouseClick(page.ModifyButton(), Qt::LeftButton);
        page.PasswordEdit()->setText("新密码");
        QTest::mouseClick(page.SaveButton(), Qt::LeftButton);
        QCOMPARE(m_db->Column("select * from user where 用户名='bob'", "密码"),
                 std::vector<std::string>{"新密码"});
        QCOMPARE(Cells(page, 2), (QStringList{"*****", "******"}));
        QCOMPARE(StoredNames(), (std::vector<std::string>{"admin", "bob"}));
    }

    void addAfterModifyInserts() {
        CDlgUser page(nullptr);
        SelectRow(page, 0);
        QTest::mouseClick(page.ModifyButton(), Qt::LeftButton);
        AddUser(page, "carol", "pw");
        QCOMPARE(StoredNames(), (std::vector<std::string>{"admin", "carol"}));
        QCOMPARE(m_db->Column("select * from user where 用户名='admin'", "密码"),
                 std::vector<std::string>{"admin"});
    }

    void deleteAsksAndKeepsTheOtherNumbers() {
        AddUserRow("bob", "b");
        AddUserRow("carol", "c");
        CDlgUser page(nullptr);
        SelectRow(page, 1);
        m_boxes->Answer({MbResult::Cancel});
        QTest::mouseClick(page.DeleteButton(), Qt::LeftButton);
        QCOMPARE(page.List()->rowCount(), 3);
        QCOMPARE(StoredNames().size(), size_t(3));
        const ShownBox& question = m_boxes->Shown().at(0);
        QCOMPARE(question.text, QString("确定要删除记录吗?"));
        QCOMPARE(question.caption, QString("删除询问"));
        QCOMPARE(question.buttons, MbButtons::OkCancel);
        QCOMPARE(question.icon, MbIcon::Question);

        QTest::mouseClick(page.DeleteButton(), Qt::LeftButton);
        QCOMPARE(Cells(page, 0), (QStringList{"1", "3"}));
        QCOMPARE(Cells(page, 1), (QStringList{"admin", "carol"}));
        QCOMPARE(StoredNames(), (std::vector<std::string>{"admin", "carol"}));
        // The arrays follow the list: modifying the second row now means carol.
        SelectRow(page, 1);
        QTest::mouseClick(page.ModifyButton(), Qt::LeftButton);
        QCOMPARE(page.UserEdit()->text(), QString("carol"));
        page.LoadUserList();
        QCOMPARE(Cells(page, 0), (QStringList{"1", "2"}));
    }

    void listStopsAtOneHundredAndAddingBeyondIsRefused() {
        for (int i = 2; i <= CDlgUser::kMaxUsers; ++i) AddUserRow("user" + std::to_string(i), "pw");
        CDlgUser page(nullptr);
        QCOMPARE(page.List()->rowCount(), CDlgUser::kMaxUsers);
        AddUser(page, "one-too-many", "pw");
        QCOMPARE(m_boxes->Texts(), QStringList{"最多只能有100个用户，请先删除不用的用户"});
        QCOMPARE(StoredNames().size(), size_t(CDlgUser::kMaxUsers));

        AddUserRow("from-elsewhere", "pw");
        page.LoadUserList();
        QCOMPARE(page.List()->rowCount(), CDlgUser::kMaxUsers);
        QCOMPARE(page.List()->item(CDlgUser::kMaxUsers - 1, 1)->text(), QString("user100"));
    }

    void databaseFailureIsReportedAndNothingChanges() {
        CDlgUser page(nullptr);
        m_db->Exec("drop table user");
        AddUser(page, "bob", "pw");
        QCOMPARE(m_boxes->Shown().size(), size_t(1));
        QCOMPARE(m_boxes->Shown().at(0).icon, MbIcon::Error);
        QCOMPARE(page.UserEdit()->text(), QString("bob"));  // kept for another try
        QCOMPARE(page.List()->rowCount(), 1);
    }

private:
    void AddUserRow(const std::string& name, const std::string& password) {
        m_db->Exec("insert into user (用户名,密码) values ('" + name + "','" + password + "')");
    }
};

QTEST_MAIN(LoginUserTest)
#include "LoginUserTest.moc"
