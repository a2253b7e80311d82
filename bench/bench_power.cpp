// The longest stall of the user-interface thread while the automatic shutdown asks for the
// power-off, through the program's own start path (station, main window and the real login
// manager client) against a private message bus. On that bus a login manager of this benchmark's
// own answers each call after two seconds and only counts the requests: nothing is powered off.
//   stall while the power-off call: median X ms, max Y ms (N runs; target under 20 ms)
#include <signal.h>
#include <sys/wait.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "BenchSink.h"
#include "UiStallMeter.h"
#include "app/RunningProgram.h"
#include "link/TransmitterLink.h"
#include "schedule/AutoShutdown.h"
#include "schedule/LogindPowerControl.h"
#include "schedule/SimulatedClock.h"
#include "schedule/SystemClock.h"
#include "tests/support/LocalTime.h"
#include "tests/support/TestDatabase.h"
#include "widgets/MessageBox.h"

namespace {

using namespace lumetra;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr int kRuns = 5;
constexpr auto kAnswerDelay = 2s;

// A message bus of its own: dbus-daemon on a socket in `folder`, ended with the benchmark.
class CPrivateBus {
public:
    explicit CPrivateBus(const std::string& folder) : m_socket(folder + "/bus") {
        m_pid = fork();
        if (m_pid == 0) {
            const std::string address = "--address=unix:path=" + m_socket;
            execlp("dbus-daemon", "dbus-daemon", "--session", "--nofork", "--nopidfile", address.c_str(),
                   static_cast<char*>(nullptr));
            _exit(127);
        }
        for (const auto end = Clock::now() + 5s; !std::filesystem::exists(m_socket) && Clock::now() < end;)
            std::this_thread::sleep_for(10ms);
    }
    ~CPrivateBus() {
        kill(m_pid, SIGTERM);
        waitpid(m_pid, nullptr, 0);
    }
    bool IsUp() const { return std::filesystem::exists(m_socket); }
    std::string Address() const { return "unix:path=" + m_socket; }

private:
    std::string m_socket;
    pid_t m_pid = -1;
};

// org.freedesktop.login1 on the private bus: CanPowerOff answers "yes" and PowerOff is counted,
// each `delay` after it came. It serves from a thread of its own until destroyed.
class CFakeLoginManager {
public:
    CFakeLoginManager(std::string address, Clock::duration delay)
        : m_address(std::move(address)),
          m_delay(delay),
          m_thread([this](std::stop_token stop) { Serve(stop); }) {
        std::unique_lock lock(m_lock);
        m_changed.wait_for(lock, 5s, [this] { return m_ready; });
    }
    bool IsReady() {
        std::lock_guard lock(m_lock);
        return m_ready;
    }
    int PowerOffs() const { return m_powerOffs; }

private:
    struct Pending {
        sd_bus_message* call;
        Clock::time_point due;
    };

    static int OnCall(sd_bus_message* call, void* self, sd_bus_error*) {
        auto* manager = static_cast<CFakeLoginManager*>(self);
        manager->m_pending.push_back({sd_bus_message_ref(call), Clock::now() + manager->m_delay});
        return 1;  // answered later
    }

    void Serve(std::stop_token stop) {
        static const sd_bus_vtable kManager[] = {
            SD_BUS_VTABLE_START(0), SD_BUS_METHOD("CanPowerOff", "", "s", OnCall, SD_BUS_VTABLE_UNPRIVILEGED),
            SD_BUS_METHOD("PowerOff", "b", "", OnCall, SD_BUS_VTABLE_UNPRIVILEGED), SD_BUS_VTABLE_END};
        sd_bus* bus = nullptr;
        const bool up = sd_bus_new(&bus) >= 0 && sd_bus_set_address(bus, m_address.c_str()) >= 0 &&
                        sd_bus_set_bus_client(bus, 1) >= 0 && sd_bus_start(bus) >= 0 &&
                        sd_bus_add_object_vtable(bus, nullptr, "/org/freedesktop/login1",
                                                 "org.freedesktop.login1.Manager", kManager, this) >= 0 &&
                        sd_bus_request_name(bus, "org.freedesktop.login1", 0) >= 0;
        {
            std::lock_guard lock(m_lock);
            m_ready = up;
        }
        m_changed.notify_all();
        while (up && !stop.stop_requested()) {
            while (sd_bus_process(bus, nullptr) > 0) {
            }
            while (!m_pending.empty() && m_pending.front().due <= Clock::now()) {
                sd_bus_message* call = m_pending.front().call;
                m_pending.pop_front();
                if (std::string(sd_bus_message_get_member(call)) == "CanPowerOff") {
                    sd_bus_reply_method_return(call, "s", "yes");
                } else {
                    ++m_powerOffs;  // and nothing else
                    sd_bus_reply_method_return(call, "");
                }
                sd_bus_message_unref(call);
            }
            sd_bus_wait(bus, 10000);
        }
        for (const Pending& pending : m_pending) sd_bus_message_unref(pending.call);
        sd_bus_flush_close_unref(bus);
    }

    const std::string m_address;
    const Clock::duration m_delay;
    std::mutex m_lock;  // guards m_ready
    std::condition_variable m_changed;
    bool m_ready = false;
    std::deque<Pending> m_pending;  // on the serving thread only
    std::atomic<int> m_powerOffs{0};
    std::jthread m_thread;
};

// Every box is answered at once: the port the station tries first does not exist here.
struct CQuietBoxes : IMessageBox {
    MbResult Show(QWidget*, const QString&, const QString&, MbButtons, MbIcon) override {
        return MbResult::kOk;
    }
};

}  // namespace

int main(int argc, char** argv) {
    test::TempDir home;
    for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"})
        setenv(name, home.Path().c_str(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("LUMETRA_COM1", home.File("no-transmitter").c_str(), 1);
    QApplication app(argc, argv);
    CPrivateBus bus(home.Path());
    if (!bus.IsUp()) {
        std::fprintf(stderr, "dbus-daemon did not start (package dbus-daemon)\n");
        return 1;
    }
    CFakeLoginManager manager(bus.Address(), kAnswerDelay);
    if (!manager.IsReady()) {
        std::fprintf(stderr, "the fake login manager did not get onto the private bus\n");
        return 1;
    }

    CQuietBoxes boxes;
    SetMessageBoxes(&boxes);
    test::TestDatabase database(&AppConnection());
    AppConnection().ExecuteSql("update shut_down set 启用关机='1', 关机时间='22:0:0'");
    // Never the system bus: the power control only ever sees the private one.
    CLogindPowerControl power(bus.Address());
    CSimulatedClock shutdownClock(test::LocalTime(2026, 3, 5, 21, 0, 0));
    CSystemClock stationClock;
    CTransmitterLink link;
    CAutoShutdown shutdown(AppConnection(), shutdownClock, power);
    std::vector<double> stalls;
    {
        CRunningProgram program(AppConnection(), link, stationClock, shutdownClock, shutdown);
        lumetra::bench::CUiStallMeter meter;
        for (int run = 0; run < kRuns; ++run) {
            // The time has come: the power-off is asked for at once, its answers four seconds later.
            const std::time_t due = test::LocalTime(2026, 3, 5 + run, 22, 0, 0);
            shutdownClock.SetTime(due);
            meter.Start();
            program.Station().RearmShutdown();
            const auto end = Clock::now() + 4 * kAnswerDelay + 5s;
            QEventLoop loop;
            QTimer done;
            done.callOnTimeout([&] {
                const bool answered =
                    manager.PowerOffs() > run && program.Station().AutoShutdownView().deadline > due;
                if (answered || Clock::now() >= end) loop.quit();
            });
            done.start(10);
            loop.exec();
            stalls.push_back(meter.Stop());
        }
    }
    SetMessageBoxes(nullptr);
    AppConnection().Close();
    ::bench::Print("stall while the power-off call", stalls, 20);
    std::printf("power-off requests the login manager answered: %d of %d\n", manager.PowerOffs(), kRuns);
    return 0;
}
