// The login window and the user management page on a real database file.
#include "AppTestKit.h"

using namespace lumetra;
using namespace lumetra::test;

namespace {

QStringList Cells(const CUserPage& page, int column) {
    QStringList cells;
    for (int row = 0; row < page.List()->rowCount(); ++row) cells << page.List()->item(row, column)->text();
    return cells;
}

std::vector<std::string> Stored(const std::string& field = "用户名", const std::string& where = "") {
    return Column("select * from user" + where, field);
}

// A row as stored before passwords were hashed.
void InsertUser(const std::string& name, const std::string& password = "pw") {
    AppConnection().ExecuteSql(FormatSql(sql::kInsertUser, name, password));
}

std::string StoredPassword(const std::string& name) {
    return Stored("密码", FormatSql(" where 用户名='%s'", name)).at(0);
}

void AddUser(CUserPage& page, const QString& name, const QString& password) {
    Click(page.AddButton());
    page.UserEdit()->setText(name);
    page.PasswordEdit()->setText(password);
    Click(page.SaveButton());
}

void Modify(CUserPage& page, int row) {
    page.List()->selectRow(row);
    Click(page.ModifyButton());
}

}  // namespace

class LoginUserTest : public QObject {
    Q_OBJECT

    std::unique_ptr<CPageTestBed> m_bed;
    CScriptedMessageBoxes* m_boxes = nullptr;

private slots:
    void init() {
        m_bed = std::make_unique<CPageTestBed>();
        m_boxes = &m_bed->boxes;
    }
    void cleanup() { m_bed.reset(); }

    void loginChecksNameThenPasswordAndHashesAPlainRow() {
        InsertUser("admin", "second");  // a second row of the same name is never reached
        InsertUser("bob", "bob");
        const QString badName = "用户名错误，请重新输入！", badPassword = "密码错误，请重新输入！";
        const struct {
            QString user, password, message, userLeft;
        } attempts[] = {{"Admin", "admin", badName, ""},
                        {"admin", "Admin", badPassword, "admin"},
                        {"admin", "second", badPassword, "admin"},
                        {"admin", "admin", "", ""},
                        {"admin", "admin", "", ""},  // now against the hash the first login stored
                        {"admin", "", badPassword, "admin"},
                        {"bob", "admin", badPassword, "bob"}};
        for (const auto& attempt : attempts) {
            m_boxes->shown.clear();
            CDlgLogin login(AppConnection(), nullptr);
            QSignalSpy spy(&login, &CDlgLogin::LoggedIn);
            login.ShowCentred();
            login.UserEdit()->setText(attempt.user);
            login.PasswordEdit()->setText(attempt.password);
            Click(login.LoginButton());
            const bool right = attempt.message.isEmpty();
            QCOMPARE(m_boxes->Texts(), right ? QStringList() : QStringList{attempt.message});
            QCOMPARE(spy.count(), right ? 1 : 0);
            if (right) QCOMPARE(spy.at(0).at(0).toString(), attempt.user);
            QCOMPARE(login.UserEdit()->text(), attempt.userLeft);
            QCOMPARE(login.PasswordEdit()->text(), QString());
            QCOMPARE(login.isVisible(), !right);
        }
        // Only the login that matched rewrote its rows; bob's untouched row stays as it was.
        QCOMPARE(Stored("密码", " where 用户名='bob'"), std::vector<std::string>{"bob"});
        for (const std::string& stored : Stored("密码", " where 用户名='admin'"))
            QVERIFY2(stored.rfind("$argon2id$", 0) == 0, stored.c_str());
    }

    // Bad fields are refused one by one with the page still editing; a good row is stored; a
    // database that refuses is reported and nothing changes.
    void addRefusesBadFieldsThenSaves() {
        CUserPage page(AppConnection(), nullptr);
        const char* const refusals[][3] = {
            {"", "pw", "请输入用户名"},
            {"bob", "", "请输入密码"},
            {"admin", "pw", "用户名“admin”已存在，请换一个用户名"},
            {"bob", "pw\U0001F600", "用户名和密码只能使用中文、字母、数字和常用符号"}};
        for (const auto& [user, password, message] : refusals) {
            m_boxes->shown.clear();
            AddUser(page, user, password);
            QCOMPARE(m_boxes->Texts(), QStringList{message});
            QCOMPARE(Stored(), std::vector<std::string>{"admin"});
            QVERIFY(page.SaveButton()->isEnabled());  // still editing: the operator can correct it
        }
        m_boxes->shown.clear();
        AddUser(page, "o'brien", "pw");
        QVERIFY(m_boxes->shown.empty());
        QCOMPARE(Stored(), (std::vector<std::string>{"admin", "o'brien"}));
        QCOMPARE(CUserTable(AppConnection()).CheckLogin("o'brien", "pw"), LoginCheck::kAccepted);
        QCOMPARE(Cells(page, 1), (QStringList{"admin", "o'brien"}));
        QVERIFY(!page.UserEdit()->isEnabled() && !page.SaveButton()->isEnabled());  // editing ended

        // A database that refuses: reported as an error, the name kept for another try.
        m_boxes->shown.clear();
        AppConnection().ExecuteSql("drop table user");
        AddUser(page, "bob", "pw");
        QCOMPARE(m_boxes->shown.size(), size_t(1));
        QCOMPARE(m_boxes->shown.at(0).icon, MbIcon::kError);
        QCOMPARE(page.UserEdit()->text(), QString("bob"));
        QCOMPARE(page.List()->rowCount(), 2);
    }

    void modifyChangesOnlyThePasswordAndAddStillInserts() {
        InsertUser("bob", "old");
        CUserPage page(AppConnection(), nullptr);
        Modify(page, 1);
        QCOMPARE(page.UserEdit()->text(), QString("bob"));
        QVERIFY(!page.UserEdit()->isEnabled());
        QVERIFY(page.PasswordEdit()->isEnabled());
        // The field never shows the stored password; saved untouched, the password stays.
        QCOMPARE(page.PasswordEdit()->text(), QString());
        Click(page.SaveButton());
        QVERIFY(m_boxes->shown.empty());
        QCOMPARE(StoredPassword("bob"), std::string("old"));

        Modify(page, 1);
        QTest::keyClicks(page.PasswordEdit(), "x");
        QTest::keyClick(page.PasswordEdit(), Qt::Key_Backspace);
        Click(page.SaveButton());
        QCOMPARE(m_boxes->Texts(), QStringList{"请输入密码"});
        m_boxes->shown.clear();
        QTest::keyClicks(page.PasswordEdit(), "new pw");
        Click(page.SaveButton());
        QCOMPARE(CUserTable(AppConnection()).CheckLogin("bob", "new pw"), LoginCheck::kAccepted);
        QVERIFY(StoredPassword("bob").find("new pw") == std::string::npos);

        // "Add" after "Modify" inserts a new row and leaves the modified one alone.
        Modify(page, 1);
        AddUser(page, "carol", "pw");
        QCOMPARE(Stored(), (std::vector<std::string>{"admin", "bob", "carol"}));
        QCOMPARE(CUserTable(AppConnection()).CheckLogin("carol", "pw"), LoginCheck::kAccepted);
        QVERIFY(m_boxes->shown.empty());
    }

    // The list shows names but no password; deleting asks and keeps the other rows' numbers.
    void deleteAsksAndKeepsTheOtherNumbers() {
        InsertUser("bob");
        InsertUser("张三", "密码1");
        CUserPage page(AppConnection(), nullptr);
        QCOMPARE(Cells(page, 2), (QStringList{"******", "******", "******"}));
        Click(page.ModifyButton());
        Click(page.DeleteButton());
        QCOMPARE(m_boxes->Texts(), (QStringList{"请选择要修改的项目！", "请选择要删除的项目！"}));
        m_boxes->shown.clear();

        page.List()->selectRow(1);
        m_boxes->answer = MbResult::kCancel;
        Click(page.DeleteButton());
        QCOMPARE(page.List()->rowCount(), 3);
        QCOMPARE(Stored().size(), size_t(3));
        QCOMPARE(m_boxes->shown.at(0).buttons, MbButtons::kOkCancel);  // a question it can decline

        Click(page.DeleteButton());
        QCOMPARE(Cells(page, 0), (QStringList{"1", "3"}));
        QCOMPARE(Cells(page, 1), (QStringList{"admin", "张三"}));
        QCOMPARE(Stored(), (std::vector<std::string>{"admin", "张三"}));
        // The arrays follow the list: modifying the second row now means 张三.
        Modify(page, 1);
        QCOMPARE(page.UserEdit()->text(), QString("张三"));
        page.LoadUserList();
        QCOMPARE(Cells(page, 0), (QStringList{"1", "2"}));
    }

    void deleteKeepsSomebodyWhoCanLogIn() {
        InsertUser("bob");
        InsertUser("bob");  // a duplicate from before names were checked: deleted together
        CUserPage page(AppConnection(), nullptr);
        page.SetLoggedInUser("admin");
        const struct {
            int row;
            QString loggedIn, message;
            std::vector<std::string> left;
        } attempts[] = {{0, "admin", "不能删除当前登录的用户“admin”", {"admin", "bob", "bob"}},
                        {1, "admin", "", {"admin"}},
                        {0, "", "不能删除最后一个用户“admin”，否则没有人能再登录", {"admin"}}};
        for (const auto& attempt : attempts) {
            m_boxes->shown.clear();
            page.SetLoggedInUser(attempt.loggedIn);
            page.List()->selectRow(attempt.row);
            Click(page.DeleteButton());
            QCOMPARE(m_boxes->Texts(), attempt.message.isEmpty() ? QStringList{"确定要删除记录吗?"}
                                                                 : QStringList{attempt.message});
            QCOMPARE(Stored(), attempt.left);
            QCOMPARE(page.List()->rowCount(), int(attempt.left.size()));
        }
    }

    void listStopsAtOneHundredAndAddingBeyondIsRefused() {
        for (int i = 2; i <= CUserPage::kMaxUsers; ++i) InsertUser("user" + std::to_string(i));
        CUserPage page(AppConnection(), nullptr);
        QCOMPARE(page.List()->rowCount(), CUserPage::kMaxUsers);
        AddUser(page, "one-too-many", "pw");
        QCOMPARE(m_boxes->Texts(), QStringList{"最多只能有100个用户，请先删除不用的用户"});
        QCOMPARE(Stored().size(), size_t(CUserPage::kMaxUsers));

        InsertUser("from-elsewhere");
        page.LoadUserList();
        QCOMPARE(page.List()->rowCount(), CUserPage::kMaxUsers);
        QCOMPARE(page.List()->item(CUserPage::kMaxUsers - 1, 1)->text(), QString("user100"));
    }
};

QTEST_MAIN(LoginUserTest)
#include "LoginUserTest.moc"
