// The settings page's port choice on a real database and a real link to a pseudo-terminal.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <condition_variable>
#include <mutex>

#include "link/PortSelection.h"
#include "link/TransmitterLink.h"
#include "store/Recordset.h"
#include "tests/link/LinkTestSupport.h"
#include "tests/support/TestDatabase.h"

namespace lumetra {
namespace {

using namespace std::chrono_literals;

// Records what the page would show. Optionally holds the worker at its first button change.
class CRecordingView : public IPortSelectionView {
public:
    void SelectPortEntry(int index) override { Record("select " + std::to_string(index)); }
    void SetConnectButtonText(const std::string& text) override {
        std::unique_lock lock(m_lock);
        m_calls.push_back("button " + text);
        m_gate.wait(lock, [this] { return !m_held; });
    }
    void EnablePortList(bool enable) override { Record(enable ? "list on" : "list off"); }
    void ShowOpenFailed() override { Record("open failed"); }
    void ShowDatabaseError(const std::string& description) override { Record("db error " + description); }

    std::vector<std::string> Calls() {
        std::lock_guard lock(m_lock);
        return m_calls;
    }
    void Clear() {
        std::lock_guard lock(m_lock);
        m_calls.clear();
    }
    void Hold() {
        std::lock_guard lock(m_lock);
        m_held = true;
    }
    void Release() {
        {
            std::lock_guard lock(m_lock);
            m_held = false;
        }
        m_gate.notify_all();
    }

private:
    void Record(std::string call) {
        std::lock_guard lock(m_lock);
        m_calls.push_back(std::move(call));
    }
    std::mutex m_lock;
    std::condition_variable m_gate;
    std::vector<std::string> m_calls;
    bool m_held = false;
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
    std::string StoredPort() {
        CRecordset rows(db.Db());
        rows.Open("select * from com");
        return rows.IsEOF() ? "" : rows.GetFieldText("com");
    }
    void Store(const char* statement) { db.Db().ExecuteSql(statement); }

    test::TestDatabase db;
    test::CPeer peer;
    test::CPeer second;
    CTransmitterLink link;
    CRecordingView view;
};

struct StoredCase {
    const char* statement;  // run before the page starts
    int entry;              // the list entry it selects
};

TEST_F(PortSelectionTest, StoredPortChoosesTheListEntry) {
    const StoredCase cases[] = {
        {"update com set com='3'", 2}, {"update com set com='1'", 0},   {"update com set com='7'", 0},
        {"update com set com='0'", 0}, {"update com set com='abc'", 0}, {"delete from com", 0},
    };
    for (const StoredCase& c : cases) {
        Store(c.statement);
        view.Clear();
        CPortSelection selection(link, db.Db(), view);
        selection.Initialise();
        selection.WaitForAutoConnect();
        ASSERT_FALSE(view.Calls().empty());
        EXPECT_EQ(view.Calls()[0], "select " + std::to_string(c.entry)) << c.statement;
        EXPECT_EQ(selection.PortNumber(), c.entry + 1) << c.statement;
        link.CloseLink(false);
    }
}

TEST_F(PortSelectionTest, StartConnectsByItselfAndStoresThePort) {
    CPortSelection selection(link, db.Db(), view);
    selection.Initialise();
    selection.WaitForAutoConnect();
    EXPECT_TRUE(link.IsRunning());
    EXPECT_TRUE(selection.IsConnectOn());
    EXPECT_EQ(view.Calls(), (std::vector<std::string>{"select 0", "button 断  开", "list off"}));
    EXPECT_EQ(StoredPort(), "1");
    EXPECT_EQ(selection.BaudRate(), 9600u);
    EXPECT_EQ(selection.DataBits(), 8);
}

TEST_F(PortSelectionTest, FailedConnectIsShownAndFreezesTheButton) {
    Store("update com set com='3'");
    CPortSelection selection(link, db.Db(), view);
    selection.Initialise();
    selection.WaitForAutoConnect();
    EXPECT_EQ(view.Calls(),
              (std::vector<std::string>{"select 2", "button 断  开", "open failed", "button 连  接"}));
    EXPECT_FALSE(selection.IsConnectOn());
    EXPECT_TRUE(selection.ConnectFailed());
    EXPECT_FALSE(link.IsRunning());
    EXPECT_EQ(StoredPort(), "3");

    // From now on a lost link leaves the page alone; a link that comes up still shows.
    view.Clear();
    selection.OnLinkStatus(false);
    EXPECT_TRUE(view.Calls().empty());
    selection.OnLinkStatus(true);
    EXPECT_EQ(view.Calls(), (std::vector<std::string>{"button 断  开", "list off"}));
}

TEST_F(PortSelectionTest, LinkStatusUpdatesThePageWhileNoConnectFailed) {
    CPortSelection selection(link, db.Db(), view);
    selection.OnLinkStatus(false);
    selection.OnLinkStatus(true);
    EXPECT_EQ(view.Calls(),
              (std::vector<std::string>{"button 连  接", "list on", "button 断  开", "list off"}));
    EXPECT_FALSE(selection.IsConnectOn()) << "the toggle is the page's own";
}

TEST_F(PortSelectionTest, NewChoiceClosesTheLinkAndConnectsThere) {
    CPortSelection selection(link, db.Db(), view);
    selection.Initialise();
    selection.WaitForAutoConnect();
    ASSERT_TRUE(link.IsRunning());

    selection.OnConnectClicked();  // disconnect
    EXPECT_FALSE(link.IsRunning());
    selection.OnPortSelected(1);
    EXPECT_EQ(selection.PortName(), "com2");
    view.Clear();
    selection.OnConnectClicked();
    EXPECT_TRUE(link.IsRunning());
    EXPECT_EQ(view.Calls(), (std::vector<std::string>{"button 断  开", "list off"}));
    EXPECT_EQ(StoredPort(), "2");
    link.SendSCOM();
    EXPECT_EQ(second.ReadFrames(1, 1s).size(), 1u);
}

TEST_F(PortSelectionTest, SelectionOutsideTheListKeepsThePort) {
    CPortSelection selection(link, db.Db(), view);
    selection.OnPortSelected(4);
    selection.OnPortSelected(-1);
    EXPECT_EQ(selection.PortNumber(), 1);
}

TEST_F(PortSelectionTest, DisconnectClosesTheLinkAndFreesTheList) {
    CPortSelection selection(link, db.Db(), view);
    selection.OnConnectClicked();
    ASSERT_TRUE(link.IsRunning());
    view.Clear();
    selection.OnConnectClicked();
    EXPECT_FALSE(link.IsRunning());
    EXPECT_FALSE(selection.IsConnectOn());
    EXPECT_EQ(view.Calls(), (std::vector<std::string>{"button 连  接", "list on"}));
}

TEST_F(PortSelectionTest, DatabaseErrorsAreShownAndTheLinkStillConnects) {
    Store("drop table com");
    CPortSelection selection(link, db.Db(), view);
    selection.Initialise();
    selection.WaitForAutoConnect();
    const auto calls = view.Calls();
    ASSERT_EQ(calls.size(), 5u);
    EXPECT_EQ(calls[0].rfind("db error ", 0), 0u) << calls[0];  // reading the stored port
    EXPECT_EQ(calls[1], "select 0");
    EXPECT_EQ(calls[2], "button 断  开");
    EXPECT_EQ(calls[3].rfind("db error ", 0), 0u) << calls[3];  // storing it
    EXPECT_EQ(calls[4], "list off");
    EXPECT_TRUE(link.IsRunning());
}

TEST_F(PortSelectionTest, OnlyOneAutomaticConnectionRuns) {
    CPortSelection selection(link, db.Db(), view);
    view.Hold();
    selection.Initialise();
    selection.Initialise();  // while the first is still connecting
    view.Release();
    selection.WaitForAutoConnect();
    EXPECT_TRUE(selection.IsConnectOn()) << "a second toggle would have disconnected again";
    EXPECT_TRUE(link.IsRunning());
}

}  // namespace
}  // namespace lumetra
