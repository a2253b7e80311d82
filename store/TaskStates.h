// The state of a broadcast task. tb_memo keeps it as a word in 状态; code works on TaskState, and
// the words are read and written only through the two functions below.
#pragma once

#include <string>

namespace lumetra {

namespace sql {

inline constexpr const char* kStateIdle = "未执行";
inline constexpr const char* kStateRunning = "正在执行";
inline constexpr const char* kStateDone = "已执行";

}  // namespace sql

enum class TaskState {
    kIdle,
    kRunning,
    kDone,
    kOther,  // any other word: shown as stored, never written
};

inline TaskState TaskStateOf(const std::string& word) {
    if (word == sql::kStateIdle) return TaskState::kIdle;
    if (word == sql::kStateRunning) return TaskState::kRunning;
    if (word == sql::kStateDone) return TaskState::kDone;
    return TaskState::kOther;
}

// The stored word of a state; "" for kOther.
inline const char* TaskStateWord(TaskState state) {
    switch (state) {
        case TaskState::kIdle:
            return sql::kStateIdle;
        case TaskState::kRunning:
            return sql::kStateRunning;
        case TaskState::kDone:
            return sql::kStateDone;
        case TaskState::kOther:
            break;
    }
    return "";
}

}  // namespace lumetra
