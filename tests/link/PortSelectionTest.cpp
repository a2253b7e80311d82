// The settings page's port choice on a real database and a real link to a pseudo-terminal.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <future>
#include <memory>
#include <thread>

#include "link/PortSelection.h"
#include "store/Recordset.h"
#include "tests/link/LinkTestSupport.h"
#include "tests/support/TestDatabase.h"

namespace lumetra {
namespace {

using namespace std::chrono_literals;
using Calls = std::vector<std::string>;
const std::string kOn = "button 断  开", kOff = "button 连  接";

// Records what the page would show. A box waits for the operator, so while one is open another
// thread must still get through the selection: each box notes whether it did.
class CRecordingView : public IPortSelectionView, public test::CRecord<std::string> {
public:
    const CPortSelection* selection = nullptr;
    void SelectPortEntry(int index) override { Add("select " + std::to_string(index)); }
    void SetConnectButtonText(const std::string& text) override { Add("button " + text); }
    void EnablePortList(bool enable) override { Add(enable ? "list on" : "list off"); }
    void ShowOpenFailed(const std::string& text) override { Add(Box("open failed: " + text)); }
    void ShowDatabaseError(const std::string& description) override {
        Add(Box(description.empty() ? "db error without a description" : "db error"));
    }

private:
    std::string Box(const std::string& text) {
        if (!selection) return text;
        auto done = std::make_shared<std::promise<void>>();
        std::future<void> through = done->get_future();
        std::thread([s = selection, done] {
            s->PortNumber();
            done->set_value();
        }).detach();  // left behind only when the lock is held, which fails the test
        return through.wait_for(500ms) == std::future_status::ready ? text : text + " with the lock held";
    }
};

class PortSelectionTest : public testing::Test {
protected:
    void SetUp() override {
        setenv("LUMETRA_COM1", peer.DevicePath().c_str(), 1);
        setenv("LUMETRA_COM2", second.DevicePath().c_str(), 1);
        setenv("LUMETRA_COM3", "/nonexistent/transmitter", 1);
    }
    void TearDown() override {
        for (const char* v : {"LUMETRA_COM1", "LUMETRA_COM2", "LUMETRA_COM3"}) unsetenv(v);
    }
    std::string StoredPort() try {
        CRecordset rows(db.Db());
        rows.Open("select * from com");
        return rows.AtEnd() ? "" : rows.GetFieldText("com");
    } catch (const std::exception&) {
        return "no table";
    }

    test::TestDatabase db;
    test::CPeer peer, second;
    CTransmitterLink link;
    CRecordingView view;
};

TEST_F(PortSelectionTest, StartChoosesTheStoredPortAndConnectsByItself) {
    const Calls first{"select 0", kOn, "list off"};
    const struct {
        const char* statement;  // run before the page starts
        Calls calls;
        std::string stored;  // the com row afterwards
        bool connected;
    } cases[] = {
        {"update com set com='1'", first, "1", true},
        {"update com set com='5'", first, "1", true},  // outside 1..4
        {"update com set com='abc'", first, "1", true},
        {"update com set com='3'",
         {"select 2", kOn, kOff,
          "open failed: 无法打开串口设备 /nonexistent/transmitter：设备不存在。\n请检查发射机的串口线或 USB "
          "转串口适配器是否插好，或在“设备”中选择它，再点“连  接”。"},
         "3",
         false},  // no such device
        {"delete from com", first, "", true},
        // Reading the stored port and storing it fail: both shown, and the link still connects.
        {"drop table com", {"db error", "select 0", kOn, "list off", "db error"}, "no table", true},
    };
    for (const auto& c : cases) {
        db.Db().ExecuteSql(c.statement);
        CPortSelection selection(link, db.Db(), view);
        view.selection = &selection;
        selection.Initialise();
        EXPECT_EQ(view.Take(), c.calls) << c.statement;
        EXPECT_EQ(StoredPort(), c.stored) << c.statement;
        EXPECT_EQ(link.IsRunning(), c.connected) << c.statement;
        EXPECT_EQ(selection.ConnectFailed(), !c.connected) << c.statement;
        // A lost link shows only while no connect has failed; a link that comes up always shows.
        selection.OnLinkStatus(false);
        EXPECT_EQ(view.Take(), (c.connected ? Calls{kOff, "list on"} : Calls{})) << c.statement;
        selection.OnLinkStatus(true);
        EXPECT_EQ(view.Take(), (Calls{kOn, "list off"})) << c.statement;
        link.CloseLink(false);
        view.selection = nullptr;
    }
}

TEST_F(PortSelectionTest, ConnectToggleAndNewChoice) {
    CPortSelection selection(link, db.Db(), view);
    selection.OnPortSelected(4);  // outside the list: the port stays
    selection.OnPortSelected(-1);
    EXPECT_EQ(selection.PortNumber(), 1);
    selection.OnConnectClicked(true);
    ASSERT_TRUE(link.IsRunning());
    view.Take();
    // The link is lost: the button reads "连  接", and a click on it connects again.
    selection.OnLinkStatus(false);
    selection.OnConnectClicked(true);
    EXPECT_TRUE(link.IsRunning());
    EXPECT_EQ(view.Take(), (Calls{kOff, "list on", kOn, "list off"}));
    selection.OnConnectClicked(false);
    EXPECT_FALSE(link.IsRunning());
    EXPECT_EQ(view.Take(), (Calls{kOff, "list on"}));

    selection.OnPortSelected(1);
    EXPECT_EQ(selection.PortName(), "com2");
    selection.OnConnectClicked(true);
    EXPECT_TRUE(link.IsRunning());
    EXPECT_EQ(view.Take(), (Calls{kOn, "list off"}));
    EXPECT_EQ(StoredPort(), "2");
    link.SendSCOM();
    EXPECT_EQ(second.ReadFrames(1, 1s).size(), 1u);
}

}  // namespace
}  // namespace lumetra
