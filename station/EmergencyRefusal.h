// What the operator is told when the emergency refuses a manual command.
#pragma once

namespace lumetra {

inline constexpr const char* kEmergencyRefusal = "紧急广播中，请先停止紧急广播。";

}  // namespace lumetra
