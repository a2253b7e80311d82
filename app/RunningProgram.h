// The program's start path around its main window, shared by the program and its tests: the
// station and the window that observes it, brought up in their order, and taken down in reverse.
#pragma once

#include "app/MainWindow.h"
#include "station/Station.h"

namespace lumetra {

class CAutoShutdown;
class CDatabase;
class CTransmitterLink;
class IClock;

class CRunningProgram {
public:
    // Builds the station on `link` and `stationClock`, switching the machine off through `shutdown`,
    // then the main window (whose clock line and LED history read `windowClock`), shows the window
    // and starts the station. A `firstStartNotice` opens over the window without waiting for an
    // answer, so the schedule and the link start meanwhile.
    CRunningProgram(CDatabase& db, CTransmitterLink& link, IClock& stationClock, IClock& windowClock,
                    CAutoShutdown& shutdown, const std::string& firstStartNotice = {});
    // The exit sequence, if the window has not run it, before the window goes.
    ~CRunningProgram();

    CStation& Station() { return m_station; }
    CMainWindow& Window() { return m_window; }

private:
    CStation m_station;
    CMainWindow m_window;
};

}  // namespace lumetra
