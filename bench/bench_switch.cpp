// The switch board and the user-interface thread, against a running station and the transmitter
// simulator on a pseudo-terminal:
//   - how long the receiver page's frequency send holds the user-interface thread (the click runs
//     inside one event, so this is the event loop's stall);
//   - how long an emergency start holds its caller while the schedule ticks over 1,000 rows and
//     hands a list over every second;
//   - 1,000 outlet toggles, each against a few ticks of the real scheduler on a stepped clock that
//     power a task up and down, on a thread of their own: after each round, the outlet on the wire
//     (the frames decoded as the transmitter does) is what the last request made it, and the board
//     shows what the wire has. Prints how many rounds disagree.
#include <QApplication>
#include <QPushButton>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "BenchSink.h"
#include "link/TransmitterLink.h"
#include "pages/ReceiverPage.h"
#include "schedule/Scheduler.h"
#include "schedule/SimulatedClock.h"
#include "schedule/SystemClock.h"
#include "station/Station.h"
#include "tests/support/AudioFixtures.h"
#include "tests/support/LocalTime.h"
#include "tests/support/RecordingLink.h"
#include "tests/support/TaskRows.h"
#include "tests/support/TestDatabase.h"
#include "tools/txsim/FrameDecoder.h"
#include "tools/txsim/SimulatorProcess.h"
#include "tools/txsim/TransmitterState.h"
#include "widgets/NumberEdit.h"

namespace {

using namespace lumetra;
using namespace std::chrono_literals;

double MsSince(int64_t startUs) {
    return static_cast<double>(bench::Now() - startUs) / 1000;
}

std::string TimeText(std::time_t moment) {
    return test::LocalText(moment, "%T");
}

// Rows enough for a tick's read to take a while, and a one-second task starting every second from
// `from` on, so that a list is handed over on almost every tick.
void FillTasks(CDatabase& db, std::time_t from) {
    db.ExecuteSql("BEGIN");
    for (int i = 0; i < 1000; ++i)
        test::InsertTask(
            db, {.start = TimeText(from + i), .end = TimeText(from + i + 1), .zones = test::ZoneText({1})});
    db.ExecuteSql("COMMIT");
}

void Drain(txsim::CSimulatorProcess& simulator) {
    while (simulator.ReadLine(0ms)) {
    }
}

void ReceiverSendAndEmergency(std::vector<double>& sends, std::vector<double>& emergencies) {
    txsim::CSimulatorProcess simulator(LUMETRA_TXSIM_PATH);
    setenv("LUMETRA_COM1", simulator.DevicePath().c_str(), 1);
    test::TestDatabase database;
    FillTasks(database.Db(), std::time(nullptr) + 5);
    CTransmitterLink link;
    CSystemClock clock;
    CStation station(database.Db(), link, clock);
    station.Start();
    simulator.WaitForLine("SendSCOM", 10s);  // connected

    CReceiverPage page(station, nullptr);
    const ChannelFlags flags = test::Channels({1, 2, 3});
    page.SetFlagSource([&flags]() -> const ChannelFlags& { return flags; });
    page.Frequency2()->SetValue(98.5);
    page.Frequency3()->SetValue(88.0);
    for (int run = 0; run < 20; ++run) {
        const int64_t start = bench::Now();
        page.SendFrequencyButton()->click();
        sends.push_back(MsSince(start));
        Drain(simulator);
        std::this_thread::sleep_for(150ms);
    }
    for (int run = 0; run < 20; ++run) {
        const int64_t start = bench::Now();
        station.StartEmergency(test::Fixture(test::kWav));
        emergencies.push_back(MsSince(start));
        std::this_thread::sleep_for(std::chrono::milliseconds(200 + 37 * run % 300));  // across tick phases
        station.StopEmergency();
        Drain(simulator);
        std::this_thread::sleep_for(300ms);
    }
    station.Shutdown();
}

// A link that keeps each frame with whether the operator's thread queued it.
class COperatorTaggedLink : public CTransmitterLink {
public:
    struct Frame {
        LinkCommand command;
        bool byOperator;
    };
    static thread_local bool t_operator;

    bool Enqueue(const LinkCommand& command) override {
        std::lock_guard lock(m_lock);
        m_frames.push_back({command, t_operator});
        return true;
    }
    std::vector<Frame> Take() {
        std::lock_guard lock(m_lock);
        return std::exchange(m_frames, {});
    }

private:
    std::mutex m_lock;
    std::vector<Frame> m_frames;
};
thread_local bool COperatorTaggedLink::t_operator = false;

// How long each toggle held its caller; counts into `disagree` the rounds that end otherwise than
// the last request.
std::vector<double> TogglesAgainstTicks(int rounds, int& disagree) {
    test::TestDatabase database;
    // Its outlet 2 on at the power-up; outlet 1 is left as it was, and goes off with all at the power-down.
    test::InsertTask(database.Db(),
                     {.start = "08:00:00", .end = "08:00:01", .zones = test::ZoneText({1}), .power = "x1xx"});
    const std::time_t powerUp = test::LocalTime(2026, 3, 2, 7, 59, 50);
    const std::time_t powerDown = test::LocalTime(2026, 3, 2, 8, 0, 16);
    CSimulatedClock clock(powerUp);
    COperatorTaggedLink link;
    CSwitchBoard board(link);
    CScheduler scheduler(database.Db(), board, clock);
    std::mt19937 random(7);
    txsim::CFrameDecoder decoder;
    txsim::CTransmitterState transmitter;  // what the frames so far switched on
    std::vector<double> toggles;
    for (int round = 0; round < rounds; ++round) {
        const int ticks = 1 + static_cast<int>(random() % 4);
        const bool startUp = random() % 2;
        const auto delay = std::chrono::microseconds(random() % 3000);
        bool requested = false;
        std::thread operatorThread([&] {
            COperatorTaggedLink::t_operator = true;
            std::this_thread::sleep_for(delay);
            const int64_t start = bench::Now();
            requested = board.ToggleOutlet(1);
            toggles.push_back(MsSince(start));
        });
        for (int tick = 0; tick < ticks; ++tick) {
            clock.SetTime((tick % 2 == 0) == startUp ? powerUp : powerDown);
            scheduler.Tick();
        }
        operatorThread.join();
        // The last request for outlet 1: the toggle, unless a power-down's ClosePower came after it.
        bool expected = requested;
        bool afterToggle = false;
        for (const auto& [command, byOperator] : link.Take()) {
            for (const txsim::DecodedFrame& decoded : decoder.Push(command.data.data(), command.data.size()))
                transmitter.Apply(decoded);
            if (byOperator) afterToggle = true;
            if (afterToggle && !byOperator && command.name == "ClosePower") expected = false;
        }
        const bool onWire = transmitter.OutletOn(1);
        if (onWire != expected || board.Outlet(1) != onWire) ++disagree;
    }
    return toggles;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    bench::UseBenchSink();
    std::vector<double> sends, emergencies;
    ReceiverSendAndEmergency(sends, emergencies);
    int disagree = 0;
    const std::vector<double> toggles = TogglesAgainstTicks(1000, disagree);
    bench::Print("stall while a receiver send", sends, 20);
    bench::Print("stall while an emergency start during ticks", emergencies, 20);
    std::vector<double> sorted = toggles;
    std::sort(sorted.begin(), sorted.end());
    std::printf(
        "operator toggles against ticks: median %.1f ms, max %.1f ms (%zu runs; target 0 disagree) "
        "%d disagree\n",
        sorted[sorted.size() / 2], sorted.back(), sorted.size(), disagree);
    return sends.empty() || emergencies.empty() || disagree != 0;
}
