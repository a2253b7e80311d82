#include "station/EmergencyAlarm.h"

#include <filesystem>
#include <system_error>

#include "audio/SirenTone.h"
#include "base/Logger.h"
#include "store/DatabaseLocation.h"

namespace lumetra {

std::string EmergencyAlarmFile(const std::string& chosen) {
    std::error_code error;
    if (!chosen.empty()) {
        if (std::filesystem::is_regular_file(chosen, error)) return chosen;
        Logger().Log("emergency: the alarm %s is gone; the siren plays", chosen.c_str());
    }
    const std::string folder = UserDataFolder(CurrentLocationInputs({}));
    const std::string siren = folder + "/siren.wav";
    if (std::filesystem::is_regular_file(siren, error)) return siren;
    std::filesystem::create_directories(folder, error);
    if (error || !WriteSirenWav(siren)) {
        Logger().Log("emergency: the siren cannot be written to %s", siren.c_str());
        return {};
    }
    return siren;
}

}  // namespace lumetra
