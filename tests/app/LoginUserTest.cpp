// The login window, the user management page and the two roles, through the program's own start
// path on a real database file.
#include "AppTestKit.h"
#include "pages/HistoryPage.h"
#include "store/Autostart.h"
#include "store/CalendarTable.h"
#include "store/ComTable.h"
#include "store/DatabaseBackup.h"
#include "store/DbError.h"
#include "store/HistoryTable.h"
#include "store/ShutdownTable.h"
#include "store/UserTable.h"
#include "widgets/UserSettings.h"

using namespace lumetra;
using namespace lumetra::test;

namespace {

const std::time_t kMondayMorning = LocalTime(2026, 3, 2, 8, 0, 0);

// "name:role" of every user, in stored order.
std::vector<std::string> Users() {
    std::vector<std::string> users;
    for (const UserRow& user : CUserTable(AppConnection()).Users(1000))
        users.push_back(user.name + ":" + UserRoleText(user.role));
    return users;
}

// A row as stored before passwords were hashed and before roles.
void InsertUser(const std::string& name, const std::string& password = "pw") {
    AppConnection().ExecuteSql(FormatSql(sql::kInsertUser, name, password));
}

// The history's lines of user and settings changes: "what|who did it|detail".
std::vector<std::string> ChangeLines() {
    try {
        return Column(
            "select r.title || '|' || r.operator || '|' || e.detail as line from lumetra_history_record r "
            "join "
            "lumetra_history_event e on e.record=r.id where e.kind>=70 order by r.id",
            "line");
    } catch (const CDbError&) {
        return {};  // no history yet
    }
}

// False when the store's rules refused.
bool Went(const std::function<void()>& change) {
    try {
        change();
        return true;
    } catch (const CRefused&) {
        return false;
    }
}

void SelectUser(CUserPage& page, const QString& name) {
    for (int row = 0; row < page.List()->rowCount(); ++row)
        if (page.List()->item(row, 1)->text() == name) page.List()->selectRow(row);
}

}  // namespace

class LoginUserTest : public QObject {
    Q_OBJECT

    CPrivateHome m_home;

private slots:
    void loginChecksNameThenPasswordAndHashesAPlainRow() {
        CPageTestBed bed;
        InsertUser("admin", "second");  // a second row of the same name is never reached
        InsertUser("bob", "bob");
        const QString badName = "用户名错误，请重新输入！", badPassword = "密码错误，请重新输入！";
        const QString attempts[][4] = {{"Admin", "admin", badName, ""},
                                       {"admin", "Admin", badPassword, "admin"},
                                       {"admin", "second", badPassword, "admin"},
                                       {"admin", "admin", "", ""},
                                       {"admin", "admin", "", ""},  // now against the stored hash
                                       {"admin", "", badPassword, "admin"},
                                       {"bob", "admin", badPassword, "bob"},
                                       {"bob", "bob", "", ""}};
        for (const auto& [user, password, message, userLeft] : attempts) {
            CDlgLogin login(AppConnection(), nullptr);
            QSignalSpy spy(&login, &CDlgLogin::LoggedIn);
            login.ShowCentred();
            login.UserEdit()->setText(user);
            login.PasswordEdit()->setText(password);
            Click(login.LoginButton());
            const bool right = message.isEmpty();
            QCOMPARE(bed.boxes.Texts(), right ? QStringList() : QStringList{message});
            bed.boxes.shown.clear();
            QCOMPARE(spy.count(), right ? 1 : 0);
            // A database from before roles: every user is an administrator.
            if (right) QCOMPARE(spy.at(0).at(0).toString(), user);
            if (right) QVERIFY(spy.at(0).at(1).value<UserRole>() == UserRole::kAdministrator);
            QCOMPARE(login.UserEdit()->text() + "/" + login.PasswordEdit()->text(), userLeft + "/");
            QCOMPARE(login.isVisible(), !right);
        }
        // Only the logins that matched rewrote their rows, into hashes.
        for (const std::string& stored : Column("select * from user", "密码"))
            QVERIFY2(stored.rfind("$argon2id$", 0) == 0, stored.c_str());
        QCOMPARE(Users(), (std::vector<std::string>{"admin:管理员", "admin:管理员", "bob:管理员"}));
    }

    // Each page and each command of the settings, the users and the calendar, tried by an
    // administrator and by an operator logged in on the window: the operator's are refused by the
    // core as well as by the window, and disabled controls say who may use them.
    void eachRoleDoesWhatItMayAndNoMore() {
        struct Probe {
            const char* what;
            bool operatorMay;
            std::function<bool(CMainRig&)> attempt;
        };
        TempDir out;
        const std::string candidate = out.File("candidate.mdb");
        std::string error;
        QVERIFY(MakeDeliveredDatabase(candidate, &error));
        auto page = [](CMainWindow::ButtonId id, QWidget* (*shown)(CMainWindow&)) {
            return [id, shown](CMainRig& rig) {
                Click(rig.main->Button(id));
                return !shown(*rig.main)->isHidden();
            };
        };
        using M = CMainWindow;
        const Probe probes[] = {
            {"任务列表", true, page(M::kTasks, [](M& m) -> QWidget* { return m.TaskListPage(); })},
            {"即时播放", true, page(M::kPlay, [](M& m) -> QWidget* { return m.PlayPage(); })},
            {"接收管理", true, page(M::kReceiver, [](M& m) -> QWidget* { return m.ZoneControlPage(); })},
            {"LED管理", true, page(M::kLED, [](M& m) -> QWidget* { return m.LEDPage(); })},
            {"播放记录", true, page(M::kHistory, [](M& m) -> QWidget* { return m.HistoryPage(); })},
            {"系统设置", false, page(M::kSettings, [](M& m) -> QWidget* { return m.SettingsPage(); })},
            {"用户管理", true, page(M::kUsers, [](M& m) -> QWidget* { return m.UserPage(); })},
            {"自己的密码", true,
             [](CMainRig& rig) {
                 CUserPage& users = *rig.main->UserPage();
                 const std::optional<LoggedInUser> me = LoggedIn();
                 SelectUser(users, ToQ(me->name));
                 Click(users.ModifyButton());
                 users.OldPasswordEdit()->setText(me->name == "admin" ? "admin" : "pw1");
                 users.PasswordEdit()->setText("新密码");
                 users.ConfirmEdit()->setText("新密码");
                 Click(users.SaveButton());
                 return rig.boxes.Texts().contains("密码已修改") &&
                        CUserTable(AppConnection()).CheckLogin(me->name, "新密码") == LoginCheck::kAccepted;
             }},
            {"添加用户按钮", false,
             [](CMainRig& rig) { return rig.main->UserPage()->AddButton()->isEnabled(); }},
            {"校历按钮", false,
             [](CMainRig& rig) { return rig.main->TaskListPage()->CalendarButton()->isEnabled(); }},
            {"串口", false, [](CMainRig& rig) { return rig.Station().SelectPort(0); }},
            {"连接按钮", false, [](CMainRig& rig) { return rig.Station().ClickConnect(false); }},
            {"自动关机", false,
             [](CMainRig&) { return Went([] { CShutdownTable(AppConnection()).Write(true, 22, 0, 0); }); }},
            {"校历", false,
             [](CMainRig&) {
                 return Went([] {
                     CCalendarTable(AppConnection()).Add({0, "2026-07-01", "2026-08-31", 0, "暑假"});
                 });
             }},
            {"保留期限", false,
             [](CMainRig&) { return Went([] { CHistoryTable(AppConnection()).SetRetentionDays(30); }); }},
            {"自启动", false,
             [](CMainRig&) {
                 std::string why;
                 return WriteAutostartEntry("/opt/lumetra/bin/lumetra", &why) &&
                        RemoveAutostartEntry(&why) == EntryRemoval::kRemoved;
             }},
            {"添加用户", false,
             [](CMainRig&) {
                 return Went([] { CUserTable(AppConnection()).Insert("新人", "pw", UserRole::kOperator); });
             }},
            {"他人的密码", false,
             [](CMainRig&) {
                 return Went([] { CUserTable(AppConnection()).Change("王五", {.password = "x"}); });
             }},
            {"角色", false,
             [](CMainRig&) {
                 return Went(
                     [] { CUserTable(AppConnection()).Change("王五", {.role = UserRole::kAdministrator}); });
             }},
            {"删除用户", false,
             [](CMainRig&) { return Went([] { CUserTable(AppConnection()).Delete("李四"); }); }},
            {"备份", false,
             [&](CMainRig&) {
                 std::string why;
                 return BackupDatabase(AppConnection(), out.File("backup.mdb"), &why);
             }},
            {"恢复", false,  // last: it puts the delivered users back
             [&](CMainRig&) {
                 std::string kept, why;
                 return RestoreDatabase(AppConnection(), candidate, kMondayMorning, &kept, &why);
             }},
        };
        for (const UserRole role : {UserRole::kAdministrator, UserRole::kOperator}) {
            CMainRig rig(kMondayMorning, [] {
                for (const char* name : {"张老师", "王五", "李四"})
                    CUserTable(AppConnection()).Insert(name, "pw1", UserRole::kOperator);
            });
            const bool administrator = role == UserRole::kAdministrator;
            administrator ? rig.LogIn() : rig.LogIn("张老师", "pw1");
            QVERIFY(LoggedIn() && LoggedIn()->role == role);
            const std::vector<std::string> before = Users();
            for (const Probe& probe : probes) {
                const QByteArray label = QByteArray(probe.what) + (administrator ? " / 管理员" : " / 操作员");
                QVERIFY2(probe.attempt(rig) == (administrator || probe.operatorMay), label);
            }
            if (administrator) continue;
            // Nothing but the operator's own password changed, and the window says who may.
            QCOMPARE(Users(), before);
            QCOMPARE(rig.main->UserPage()->List()->rowCount(), 1);
            for (QWidget* control : {static_cast<QWidget*>(rig.main->Button(M::kSettings)),
                                     static_cast<QWidget*>(rig.main->TaskListPage()->CalendarButton()),
                                     static_cast<QWidget*>(rig.main->UserPage()->AddButton()),
                                     static_cast<QWidget*>(rig.main->UserPage()->DeleteButton())})
                QVERIFY2(control->toolTip().contains("只有管理员可以使用"), qPrintable(control->toolTip()));
            QTRY_COMPARE(ChangeLines(), std::vector<std::string>{"修改密码|张老师|张老师"});
        }
    }

    // An administrator on the page: refusals name what is wrong and store nothing; names are
    // trimmed and unique ignoring letter case and blanks; passwords are changed with the old one by
    // their owner and without it by an administrator; there is always an administrator; the delete
    // question names the user and the role; the history says who did what.
    void administratorManagesUsers() {
        CMainRig rig(kMondayMorning);
        rig.LogIn();
        Click(rig.main->Button(CMainWindow::kUsers));
        CUserPage& page = *rig.main->UserPage();
        auto add = [&](const QString& name, const QString& password, const QString& confirm,
                       UserRole role = UserRole::kOperator) {
            Click(page.AddButton());
            page.UserEdit()->setText(name);
            page.RoleBox()->setCurrentIndex(page.RoleBox()->findData(static_cast<int>(role)));
            page.PasswordEdit()->setText(password);
            page.ConfirmEdit()->setText(confirm);
            Click(page.SaveButton());
        };
        auto modify = [&](const QString& name, const QString& old, const QString& password,
                          std::optional<UserRole> role = std::nullopt) {
            SelectUser(page, name);
            Click(page.ModifyButton());
            QCOMPARE(page.OldPasswordEdit()->isEnabled(), name == "admin");
            if (page.OldPasswordEdit()->isEnabled()) page.OldPasswordEdit()->setText(old);
            if (role) page.RoleBox()->setCurrentIndex(page.RoleBox()->findData(static_cast<int>(*role)));
            page.PasswordEdit()->setText(password);
            page.ConfirmEdit()->setText(password);
            Click(page.SaveButton());
        };
        auto remove = [&](const QString& name) {
            SelectUser(page, name);
            Click(page.DeleteButton());
        };
        const std::vector<std::string> start = {"admin:管理员"};
        const std::vector<std::string> two = {"admin:管理员", "老师一:操作员"};
        const std::vector<std::string> three = {"admin:管理员", "老师一:操作员", "o'brien:管理员"};
        const std::vector<std::string> demoted = {"admin:管理员", "老师一:操作员", "o'brien:操作员"};
        const struct {
            std::function<void()> action;
            QStringList boxes;
            std::vector<std::string> users;
        } steps[] = {
            {[&] { add("  ", "pw", "pw"); }, {"请输入用户名"}, start},
            {[&] { add("eve", "", ""); }, {"请输入密码"}, start},
            {[&] { add("eve", "pw", "wp"); }, {"两次输入的密码不一致，请重新输入"}, start},
            {[&] { add(" AD MIN ", "pw", "pw"); },
             {"用户名“AD MIN”与已有的用户“admin”相同（不分大小写和空格），请换一个用户名"},
             start},
            {[&] { add("eve", "pw\U0001F600", "pw\U0001F600"); },
             {"用户名和密码只能使用中文、字母、数字和常用符号"},
             start},
            {[&] { add("\u3000老师一 ", "pw", "pw"); }, {}, two},
            {[&] { add("o'brien", "pw", "pw", UserRole::kAdministrator); }, {}, three},
            {[&] { modify("老师一", {}, "n1"); }, {"密码已修改"}, three},
            {[&] { modify("admin", "wrong", "n2"); }, {"原密码错误，请重新输入！"}, three},
            {[&] { modify("admin", "admin", "n2"); }, {"密码已修改"}, three},
            {[&] { modify("o'brien", {}, {}, UserRole::kOperator); }, {}, demoted},
            {[&] { modify("admin", {}, {}, UserRole::kOperator); },
             {"“admin”是最后一个管理员，不能改为操作员"},
             demoted},
            {[&] { remove("admin"); }, {"不能删除当前登录的用户“admin”"}, demoted},
            {[&] {
                 rig.boxes.answer = MbResult::kCancel;
                 remove("老师一");
             },
             {"确定要删除用户“老师一”（操作员）吗？"},
             demoted},
            {[&] { remove("老师一"); },
             {"确定要删除用户“老师一”（操作员）吗？"},
             {"admin:管理员", "o'brien:操作员"}},
        };
        for (const auto& step : steps) {
            rig.boxes.shown.clear();
            step.action();
            QCOMPARE(rig.boxes.Texts(), step.boxes);
            QCOMPARE(Users(), step.users);
            QCOMPARE(page.List()->rowCount(), int(step.users.size()));
        }
        QCOMPARE(CUserTable(AppConnection()).CheckLogin("老师一", "n1"), LoginCheck::kNoSuchUser);
        QCOMPARE(CUserTable(AppConnection()).CheckLogin("admin", "n2"), LoginCheck::kAccepted);
        // Settings changed through their stores, whatever asked: each with its old and new value,
        // and a value saved unchanged is no change.
        CShutdownTable(AppConnection()).Write(true, 22, 0, 0);
        CShutdownTable(AppConnection()).Write(true, 22, 0, 0);
        CHistoryTable(AppConnection()).SetRetentionDays(30);
        CComTable(AppConnection()).Write(2);
        std::string why;
        QVERIFY(WriteAutostartEntry("/opt/lumetra/bin/lumetra", &why));
        CUserSettings().SetAlarmFile("/srv/alarm.wav");
        QTRY_COMPARE(
            ChangeLines(),
            (std::vector<std::string>{
                "添加用户|admin|老师一（操作员）", "添加用户|admin|o'brien（管理员）",
                "修改密码|admin|老师一", "修改密码|admin|admin", "设为操作员|admin|o'brien（操作员）",
                "删除用户|admin|老师一（操作员）", "修改设置|admin|自动关机：停用 0:0:0 → 启用 22:0:0",
                "修改设置|admin|播放记录保留天数：365 → 30", "修改设置|admin|通信端口：COM1 → COM2",
                "修改设置|admin|开机自启动：关 → 开", "修改设置|admin|报警文件：（默认） → /srv/alarm.wav"}));

        // The hundred and first user is refused; the list stops at a hundred.
        for (int i = 3; i <= CUserPage::kMaxUsers; ++i) InsertUser("user" + std::to_string(i));
        rig.boxes.shown.clear();
        add("one-too-many", "pw", "pw");
        QCOMPARE(rig.boxes.Texts(), QStringList{"最多只能有100个用户，请先删除不用的用户"});
        InsertUser("from-elsewhere");
        page.LoadUserList();
        QCOMPARE(page.List()->rowCount(), CUserPage::kMaxUsers);
    }
};

QTEST_MAIN(LoginUserTest)
#include "LoginUserTest.moc"
