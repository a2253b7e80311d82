// The state words of a task as tb_memo stores them in 状态.
#pragma once

namespace lumetra::sql {

inline constexpr const char* kStateIdle = "未执行";
inline constexpr const char* kStateRunning = "正在执行";
inline constexpr const char* kStateDone = "已执行";

}  // namespace lumetra::sql
