#include "app/RunningProgram.h"

namespace lumetra {

CRunningProgram::CRunningProgram(CDatabase& db, CTransmitterLink& link, IClock& stationClock,
                                 IClock& windowClock, CAutoShutdown& shutdown)
    : m_station(db, link, stationClock, &shutdown), m_window(MainServices{windowClock, m_station, link, db}) {
    m_window.show();
    m_station.Start();
}

CRunningProgram::~CRunningProgram() {
    m_station.Shutdown();
}

}  // namespace lumetra
