// A main window on real parts: a fresh database, a link to the transmitter simulator, a scheduler
// on the wall clock, and automatic shutdown on a simulated clock with a power control that only
// records. The window's own clock is the simulated one, so tests choose the time of day.
#pragma once

#include <memory>

#include "AppDatabase.h"
#include "ScriptedMessageBoxes.h"
#include "Simulator.h"
#include "app/DlgMain.h"
#include "link/TransmitterLink.h"
#include "schedule/AutoShutdown.h"
#include "schedule/PowerControl.h"
#include "schedule/Scheduler.h"
#include "schedule/SimulatedClock.h"
#include "schedule/SystemClock.h"
#include "store/Database.h"

namespace lumetra::test {

class CRecordingPower : public IPowerControl {
public:
    bool PowerOff(std::string* reason) override {
        ++requests;
        *reason = "refused by the test";
        return false;
    }
    int requests = 0;
};

// Local time of a date and time of day.
std::time_t LocalTime(int year, int month, int day, int hour, int minute, int second);

struct CMainRig {
    // Runs `prepare` on the database before the window is built (its start-up reads the tables).
    explicit CMainRig(std::time_t now, const std::function<void(CAppDatabase&)>& prepare = {});
    ~CMainRig();

    CScriptedMessageBoxes boxes;
    CSimulator simulator;
    CAppDatabase db;
    CSimulatedClock clock;
    CSystemClock wallClock;
    CTransmitterLink link;
    CScheduler scheduler;
    CRecordingPower power;
    CAutoShutdown shutdown;
    std::unique_ptr<CDlgMain> main;
};

}  // namespace lumetra::test
