#include "MainRig.h"

#include <stdexcept>

namespace lumetra::test {

std::time_t LocalTime(int year, int month, int day, int hour, int minute, int second) {
    std::tm local{};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_sec = second;
    local.tm_isdst = -1;
    return std::mktime(&local);
}

namespace {

// The simulator must be up before the window: the settings page connects COM1 at once.
CSimulator& StartedSimulator(CSimulator& simulator) {
    if (!simulator.Start()) throw std::runtime_error("the transmitter simulator did not start");
    qputenv("LUMETRA_COM1", simulator.Device().toLocal8Bit());
    return simulator;
}

}  // namespace

CMainRig::CMainRig(std::time_t now, const std::function<void(CAppDatabase&)>& prepare)
    : clock(now), scheduler(AppConnection(), link, wallClock), shutdown(AppConnection(), clock, power) {
    StartedSimulator(simulator);
    if (prepare) prepare(db);
    main = std::make_unique<CDlgMain>(MainServices{clock, link, scheduler, shutdown});
}

CMainRig::~CMainRig() {
    main.reset();
    link.CloseLink(false);
}

}  // namespace lumetra::test
