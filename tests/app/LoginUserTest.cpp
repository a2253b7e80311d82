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

    // The boxes shown since the last call.
    QStringList Shown() {
        const QStringList texts = m_boxes->Texts();
        m_boxes->shown.clear();
        return texts;
    }

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
        const QString attempts[][4] = {{"Admin", "admin", badName, ""},
                                       {"admin", "Admin", badPassword, "admin"},
                                       {"admin", "second", badPassword, "admin"},
                                       {"admin", "admin", "", ""},
                                       {"admin", "admin", "", ""},  // now against the stored hash
                                       {"admin", "", badPassword, "admin"},
                                       {"bob", "admin", badPassword, "bob"}};
        for (const auto& [user, password, message, userLeft] : attempts) {
            CDlgLogin login(AppConnection(), nullptr);
            QSignalSpy spy(&login, &CDlgLogin::LoggedIn);
            login.ShowCentred();
            login.UserEdit()->setText(user);
            login.PasswordEdit()->setText(password);
            Click(login.LoginButton());
            const bool right = message.isEmpty();
            QCOMPARE(Shown(), right ? QStringList() : QStringList{message});
            QCOMPARE(spy.count(), right ? 1 : 0);
            if (right) QCOMPARE(spy.at(0).at(0).toString(), user);
            QCOMPARE(login.UserEdit()->text() + "/" + login.PasswordEdit()->text(), userLeft + "/");
            QCOMPARE(login.isVisible(), !right);
        }
        // Only the login that matched rewrote its rows; bob's untouched row stays as it was.
        QCOMPARE(Stored("密码", " where 用户名='bob'"), std::vector<std::string>{"bob"});
        for (const std::string& stored : Stored("密码", " where 用户名='admin'"))
            QVERIFY2(stored.rfind("$argon2id$", 0) == 0, stored.c_str());
    }

    // Bad fields are refused one by one with the page still editing; a good row is stored, up to a
    // hundred; a database that refuses is reported and nothing changes.
    void addAndModifyRefuseBadFieldsAndTheHundredAndFirst() {
        InsertUser("bob", "old");
        CUserPage page(AppConnection(), nullptr);
        const char* const refusals[][3] = {
            {"", "pw", "请输入用户名"},
            {"eve", "", "请输入密码"},
            {"admin", "pw", "用户名“admin”已存在，请换一个用户名"},
            {"eve", "pw\U0001F600", "用户名和密码只能使用中文、字母、数字和常用符号"}};
        for (const auto& [user, password, message] : refusals) {
            AddUser(page, user, password);
            QCOMPARE(Shown(), QStringList{message});
            QCOMPARE(Stored(), (std::vector<std::string>{"admin", "bob"}));
            QVERIFY(page.SaveButton()->isEnabled());  // still editing: the operator can correct it
        }
        AddUser(page, "o'brien", "pw");
        QCOMPARE(Stored(), (std::vector<std::string>{"admin", "bob", "o'brien"}));
        QCOMPARE(CUserTable(AppConnection()).CheckLogin("o'brien", "pw"), LoginCheck::kAccepted);
        QCOMPARE(Cells(page, 1), (QStringList{"admin", "bob", "o'brien"}));

        // Modify changes only the password: the field never shows the stored one; saved untouched,
        // the password stays.
        Modify(page, 1);
        QCOMPARE(page.UserEdit()->text(), QString("bob"));
        QCOMPARE(page.PasswordEdit()->text(), QString());
        Click(page.SaveButton());
        QCOMPARE(Stored("密码", " where 用户名='bob'"), std::vector<std::string>{"old"});

        Modify(page, 1);
        QTest::keyClicks(page.PasswordEdit(), "x");
        QTest::keyClick(page.PasswordEdit(), Qt::Key_Backspace);
        Click(page.SaveButton());
        QCOMPARE(Shown(), QStringList{"请输入密码"});
        QTest::keyClicks(page.PasswordEdit(), "new pw");
        Click(page.SaveButton());
        QCOMPARE(CUserTable(AppConnection()).CheckLogin("bob", "new pw"), LoginCheck::kAccepted);
        QVERIFY(Stored("密码", " where 用户名='bob'").at(0).find("new pw") == std::string::npos);

        // "Add" after "Modify" inserts a new row and leaves the modified one alone.
        Modify(page, 1);
        AddUser(page, "carol", "pw");
        QCOMPARE(Stored(), (std::vector<std::string>{"admin", "bob", "o'brien", "carol"}));
        QCOMPARE(CUserTable(AppConnection()).CheckLogin("carol", "pw"), LoginCheck::kAccepted);

        for (int i = 5; i <= CUserPage::kMaxUsers; ++i) InsertUser("user" + std::to_string(i));
        AddUser(page, "one-too-many", "pw");
        QCOMPARE(Shown(), QStringList{"最多只能有100个用户，请先删除不用的用户"});
        QCOMPARE(Stored().size(), size_t(CUserPage::kMaxUsers));
        InsertUser("from-elsewhere");
        page.LoadUserList();  // the list stops at a hundred
        QCOMPARE(Cells(page, 1).mid(CUserPage::kMaxUsers - 2), (QStringList{"user99", "user100"}));

        AppConnection().ExecuteSql("drop table user");
        AddUser(page, "eve", "pw");
        QCOMPARE(m_boxes->shown.size(), size_t(1));
        QCOMPARE(m_boxes->shown.at(0).icon, MbIcon::kError);
        QCOMPARE(page.UserEdit()->text(), QString("eve"));  // kept for another try
    }

    // The list shows names but no password. Deleting asks, takes every row of the name (a duplicate
    // from before names were checked), keeps the other rows' numbers, and keeps somebody who can
    // log in: neither the operator at the keyboard nor the last one goes.
    void deleteAsksAndKeepsSomebodyWhoCanLogIn() {
        for (const char* name : {"bob", "bob", "张三"}) InsertUser(name);
        CUserPage page(AppConnection(), nullptr);
        page.SetLoggedInUser("admin");
        QCOMPARE(Cells(page, 2), QStringList(4, "******"));
        Click(page.ModifyButton());
        Click(page.DeleteButton());
        QCOMPARE(Shown(), (QStringList{"请选择要修改的项目！", "请选择要删除的项目！"}));

        const std::vector<std::string> all = {"admin", "bob", "bob", "张三"};
        const struct {
            int row;
            const char* loggedIn;
            MbResult answer;
            QString message;
            std::vector<std::string> left;
        } attempts[] = {{0, "admin", MbResult::kOk, "不能删除当前登录的用户“admin”", all},
                        {1, "admin", MbResult::kCancel, "确定要删除用户“bob”吗？", all},
                        {1, "admin", MbResult::kOk, "确定要删除用户“bob”吗？", {"admin", "张三"}},
                        {1, "", MbResult::kOk, "确定要删除用户“张三”吗？", {"admin"}},
                        {0, "", MbResult::kOk, "不能删除最后一个用户“admin”，否则没有人能再登录", {"admin"}}};
        for (const auto& attempt : attempts) {
            page.SetLoggedInUser(attempt.loggedIn);
            page.List()->selectRow(attempt.row);
            m_boxes->answer = attempt.answer;
            Click(page.DeleteButton());
            if (attempt.answer == MbResult::kCancel)  // a question the operator can decline
                QCOMPARE(m_boxes->shown.at(0).buttons, MbButtons::kOkCancel);
            QCOMPARE(Shown(), QStringList{attempt.message});
            QCOMPARE(Stored(), attempt.left);
            QCOMPARE(page.List()->rowCount(), int(attempt.left.size()));
            if (attempt.left.size() != 2) continue;
            QCOMPARE(Cells(page, 0), (QStringList{"1", "4"}));
            Modify(page, 1);  // the names follow the list: the second row now means 张三
            QCOMPARE(page.UserEdit()->text(), QString("张三"));
            page.LoadUserList();
            QCOMPARE(Cells(page, 0), (QStringList{"1", "2"}));
        }
    }
};

QTEST_MAIN(LoginUserTest)
#include "LoginUserTest.moc"
