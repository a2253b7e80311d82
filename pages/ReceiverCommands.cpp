#include "pages/ReceiverCommands.h"

#include "station/EmergencyRefusal.h"
#include "station/Station.h"

namespace lumetra {
namespace {

bool FrequencyInRange(std::optional<float> value) {
    return value && *value >= CReceiverCommands::kMinFrequency && *value <= CReceiverCommands::kMaxFrequency;
}

std::string FrequencyRangeText(const char* field) {
    return std::string(field) + "无法识别或超出范围，请输入68.0-108.0之间的数值！";
}

}  // namespace

std::string CReceiverCommands::SendFrequencies(const ChannelFlags& flags, std::optional<float> frequency2,
                                               std::optional<float> frequency3) {
    if (!FrequencyInRange(frequency2)) return FrequencyRangeText("频率2");
    if (!FrequencyInRange(frequency3)) return FrequencyRangeText("频率3");
    // Within the range both fit five digits: only the emergency refuses the send.
    return m_station.SendFrequencies(flags, *frequency2, *frequency3) ? std::string() : kEmergencyRefusal;
}

std::string CReceiverCommands::SendVolume(const ChannelFlags& flags, std::optional<int> volume) {
    if (!volume || *volume < kMinVolume || *volume > kMaxVolume)
        return "音量无法识别或超出范围，请输入0-15之间的整数！";
    return m_station.SendVolume(flags, static_cast<uint8_t>(*volume)) ? std::string() : kEmergencyRefusal;
}

}  // namespace lumetra
