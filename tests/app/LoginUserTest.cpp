// The login window and the user management page on a real database file.
#include "AppTestKit.h"

using namespace lumetra;
using namespace lumetra::test;

namespace {

QStringList Cells(const CDlgUser& page, int column) {
    QStringList cells;
    for (int row = 0; row < page.List()->rowCount(); ++row) cells << page.List()->item(row, column)->text();
    return cells;
}

std::vector<std::string> Stored(const std::string& field = "用户名", const std::string& where = "") {
    return Column("select * from user" + where, field);
}

void InsertUser(const std::string& name, const std::string& password = "pw") {
    CUserTable(AppConnection()).Insert(name, password);
}

void AddUser(CDlgUser& page, const QString& name, const QString& password) {
    Click(page.AddButton());
    page.UserEdit()->setText(name);
    page.PasswordEdit()->setText(password);
    Click(page.SaveButton());
}

void Modify(CDlgUser& page, int row) {
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

    void loginChecksNameThenPassword() {
        InsertUser("admin", "second");  // a second row of the same name is never reached
        const QString badName = "用户名错误，请重新输入！", badPassword = "密码错误，请重新输入！";
        const struct {
            QString user, password, message, userLeft;
        } attempts[] = {{"Admin", "admin", badName, ""},
                        {"admin", "Admin", badPassword, "admin"},
                        {"admin", "second", badPassword, "admin"},
                        {"admin", "admin", "", ""}};
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
            QCOMPARE(login.UserEdit()->text(), attempt.userLeft);
            QCOMPARE(login.PasswordEdit()->text(), QString());
            QCOMPARE(login.isVisible(), !right);
        }
    }

    void listShowsNumbersNamesAndStarsPerGbkByte() {
        InsertUser("abc", "abc");
        InsertUser("张三", "密码1");
        CDlgUser page(AppConnection(), nullptr);
        QCOMPARE(Cells(page, 1), (QStringList{"admin", "abc", "张三"}));
        QCOMPARE(Cells(page, 2), (QStringList{"*****", "***", "*****"}));
    }

    void addRefusesBadFieldsThenSaves() {
        CDlgUser page(AppConnection(), nullptr);
        const char* const refusals[][3] = {
            {"", "pw", "请输入用户名"},
            {"bob", "", "请输入密码"},
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
        QCOMPARE(Cells(page, 1), (QStringList{"admin", "o'brien"}));
        QVERIFY(!page.UserEdit()->isEnabled() && !page.SaveButton()->isEnabled());  // editing ended
    }

    void modifyChangesOnlyThePasswordAndAddStillInserts() {
        InsertUser("bob", "old");
        CDlgUser page(AppConnection(), nullptr);
        Modify(page, 1);
        QCOMPARE(page.UserEdit()->text(), QString("bob"));
        QVERIFY(!page.UserEdit()->isEnabled());
        QVERIFY(page.PasswordEdit()->isEnabled());
        // The field holds the stored password: saving untouched keeps it.
        QCOMPARE(page.PasswordEdit()->text(), QString("old"));
        Click(page.SaveButton());
        QCOMPARE(Stored("密码", " where 用户名='bob'"), std::vector<std::string>{"old"});

        Modify(page, 1);
        page.PasswordEdit()->setText("新密码");
        Click(page.SaveButton());
        QCOMPARE(Stored("密码", " where 用户名='bob'"), std::vector<std::string>{"新密码"});
        QCOMPARE(Cells(page, 2), (QStringList{"*****", "******"}));

        // "Add" after "Modify" inserts a new row and leaves the modified one alone.
        Modify(page, 1);
        AddUser(page, "carol", "pw");
        QCOMPARE(Stored(), (std::vector<std::string>{"admin", "bob", "carol"}));
        QCOMPARE(Stored("密码"), (std::vector<std::string>{"admin", "新密码", "pw"}));
        QVERIFY(m_boxes->shown.empty());
    }

    void deleteAsksAndKeepsTheOtherNumbers() {
        InsertUser("bob");
        InsertUser("carol");
        CDlgUser page(AppConnection(), nullptr);
        Click(page.ModifyButton());
        Click(page.DeleteButton());
        QCOMPARE(m_boxes->Texts(), (QStringList{"请选择要修改的项目！", "请选择要删除的项目！"}));
        m_boxes->shown.clear();

        page.List()->selectRow(1);
        m_boxes->answer = MbResult::Cancel;
        Click(page.DeleteButton());
        QCOMPARE(page.List()->rowCount(), 3);
        QCOMPARE(Stored().size(), size_t(3));
        QCOMPARE(m_boxes->shown.at(0).buttons, MbButtons::OkCancel);  // a question it can decline

        Click(page.DeleteButton());
        QCOMPARE(Cells(page, 0), (QStringList{"1", "3"}));
        QCOMPARE(Cells(page, 1), (QStringList{"admin", "carol"}));
        QCOMPARE(Stored(), (std::vector<std::string>{"admin", "carol"}));
        // The arrays follow the list: modifying the second row now means carol.
        Modify(page, 1);
        QCOMPARE(page.UserEdit()->text(), QString("carol"));
        page.LoadUserList();
        QCOMPARE(Cells(page, 0), (QStringList{"1", "2"}));
    }

    void listStopsAtOneHundredAndAddingBeyondIsRefused() {
        for (int i = 2; i <= CDlgUser::kMaxUsers; ++i) InsertUser("user" + std::to_string(i));
        CDlgUser page(AppConnection(), nullptr);
        QCOMPARE(page.List()->rowCount(), CDlgUser::kMaxUsers);
        AddUser(page, "one-too-many", "pw");
        QCOMPARE(m_boxes->Texts(), QStringList{"最多只能有100个用户，请先删除不用的用户"});
        QCOMPARE(Stored().size(), size_t(CDlgUser::kMaxUsers));

        InsertUser("from-elsewhere");
        page.LoadUserList();
        QCOMPARE(page.List()->rowCount(), CDlgUser::kMaxUsers);
        QCOMPARE(page.List()->item(CDlgUser::kMaxUsers - 1, 1)->text(), QString("user100"));
    }

    void databaseFailureIsReportedAndNothingChanges() {
        CDlgUser page(AppConnection(), nullptr);
        AppConnection().ExecuteSql("drop table user");
        AddUser(page, "bob", "pw");
        QCOMPARE(m_boxes->shown.size(), size_t(1));
        QCOMPARE(m_boxes->shown.at(0).icon, MbIcon::Error);
        QCOMPARE(page.UserEdit()->text(), QString("bob"));  // kept for another try
        QCOMPARE(page.List()->rowCount(), 1);
    }
};

QTEST_MAIN(LoginUserTest)
#include "LoginUserTest.moc"
