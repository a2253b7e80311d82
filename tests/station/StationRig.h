// What the station tests share: a real database file, the transmitter simulator on a
// pseudo-terminal as COM1 (through a stable name, as a USB adapter has), GStreamer with a silent sink, and a
// station on time running twenty times faster than the wall clock.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "link/TransmitterLink.h"
#include "station/Station.h"
#include "store/Database.h"
#include "tests/schedule/SchedulerRig.h"
#include "tests/support/AudioFixtures.h"
#include "tests/support/Eventually.h"
#include "tests/support/LocalTime.h"
#include "tests/support/PacedClock.h"
#include "tests/support/TestDatabase.h"
#include "tools/txsim/SimulatorProcess.h"

namespace lumetra::test {

// Monday 2026-03-02.
inline std::time_t Monday(int hour, int minute, int second) {
    return LocalTime(2026, 3, 2, hour, minute, second);
}

inline ChannelFlags Channels(std::initializer_list<int> numbers) {
    ChannelFlags flags{};
    for (int number : numbers) flags[static_cast<size_t>(number - 1)] = 1;
    return flags;
}

class CStationRig : public testing::Test {
protected:
    explicit CStationRig(std::vector<std::string> simulatorArguments = {})
        : simulator(LUMETRA_TXSIM_PATH, WithStableName(std::move(simulatorArguments))) {}
    static void SetUpTestSuite() {
        setenv("LUMETRA_AUDIO_SINK", "fakesink", 1);
        KeepGstRegistryInBuildTree();
    }
    void SetUp() override { setenv("LUMETRA_COM1", portName.c_str(), 1); }
    void TearDown() override { unsetenv("LUMETRA_COM1"); }

    std::vector<std::string> WithStableName(std::vector<std::string> arguments) const {
        arguments.insert(arguments.begin(), {"--link", portName});
        return arguments;
    }

    // Stores the task, then starts a station at `now` that `observer` (if any) watches.
    std::string StartStation(std::time_t now, const TaskRow& row, IStationObserver* observer = nullptr) {
        const std::string id = InsertTask(database.Db(), row);
        clock = std::make_unique<CPacedClock>(now, 20);
        station = std::make_unique<CStation>(database.Db(), link, *clock);
        station->SetObserver(observer);
        station->Start();
        return id;
    }

    TempDir portFolder;
    const std::string portName = portFolder.File("transmitter");
    txsim::CSimulatorProcess simulator;
    TestDatabase database;
    CTransmitterLink link;
    std::unique_ptr<CPacedClock> clock;
    std::unique_ptr<CStation> station;
};

}  // namespace lumetra::test
