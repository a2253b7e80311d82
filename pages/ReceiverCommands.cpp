#include "pages/ReceiverCommands.h"

#include <QString>
#include <algorithm>

#include "station/EmergencyRefusal.h"
#include "station/Station.h"

namespace lumetra {
namespace {

bool FrequencyInRange(std::optional<float> value) {
    return value && *value >= CReceiverCommands::kMinFrequency && *value <= CReceiverCommands::kMaxFrequency;
}

CReceiverCommands::Outcome Refused(std::string message) {
    return {false, std::move(message)};
}

CReceiverCommands::Outcome FrequencyRangeRefusal(const char* field) {
    return Refused(std::string(field) + "无法识别或超出范围，请输入68.0-108.0之间的数值！");
}

bool AnyTicked(const ChannelFlags& flags) {
    return std::ranges::any_of(flags, [](uint8_t flag) { return flag != 0; });
}

std::string FrequencyText(const char* field, float frequency) {
    return field + QString::number(frequency, 'f', 1).toStdString() + " MHz";
}

std::string ToReceivers(const ChannelFlags& flags) {
    return " → 接收机 " + ChannelRangesText(flags);
}

}  // namespace

CReceiverCommands::Outcome CReceiverCommands::SendFrequencies(const ChannelFlags& flags,
                                                              std::optional<float> frequency2,
                                                              std::optional<float> frequency3) {
    if (!AnyTicked(flags)) return Refused(kNoneTicked);
    if (!FrequencyInRange(frequency2)) return FrequencyRangeRefusal("频率2");
    if (!FrequencyInRange(frequency3)) return FrequencyRangeRefusal("频率3");
    // Within the range both fit five digits: only the emergency refuses the send.
    if (!m_station.SendFrequencies(flags, *frequency2, *frequency3)) return Refused(kEmergencyRefusal);
    return {true, "已发送 " + FrequencyText("频率2 ", *frequency2) + "、" +
                      FrequencyText("频率3 ", *frequency3) + ToReceivers(flags)};
}

CReceiverCommands::Outcome CReceiverCommands::SendVolume(const ChannelFlags& flags,
                                                         std::optional<int> volume) {
    if (!AnyTicked(flags)) return Refused(kNoneTicked);
    if (!volume || *volume < kMinVolume || *volume > kMaxVolume)
        return Refused("音量无法识别或超出范围，请输入0-15之间的整数！");
    if (!m_station.SendVolume(flags, static_cast<uint8_t>(*volume))) return Refused(kEmergencyRefusal);
    return {true, "已发送 音量 " + std::to_string(*volume) + ToReceivers(flags)};
}

}  // namespace lumetra
