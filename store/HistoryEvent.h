// One entry of the broadcast history: a step of a scheduled broadcast, a file that played or
// failed, an operator's action or the link going down or up. The numbers of the kinds are stored.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>

namespace lumetra {

enum class HistoryKind : int {
    // A broadcast's steps, as the schedule takes them.
    kPowerUp = 1,
    kStart = 2,
    kLateStart = 3,
    kEnd = 4,
    kStaleClose = 5,  // found running at start-up: closed without anyone having seen its end
    kEndDeleted = 6,  // its row was deleted on air
    kEndRetimed = 7,  // its row was saved again with times that no longer cover the present
    kEndExit = 8,     // Lumetra's exit sequence ended it
    kPowerDown = 9,
    kEndClockJump = 10,    // the clock jumped over its start while it was in its lead
    kEndInterrupted = 11,  // ended after another task's list cut its own off; the detail names that task
    // Its files.
    kFileStart = 20,
    kFileEnd = 21,
    kFileFailed = 22,
    kFileInterrupted = 23,  // another task's list cut it off; the detail names that task
    // What operators did, and the link.
    kChannelsOn = 40,
    kChannelsOff = 41,
    kOutletOn = 42,
    kOutletOff = 43,
    kEmergencyStart = 44,  // every receiver and outlet on, the alarm in a loop
    kEmergencyStop = 45,
    kLogin = 46,
    kFrequencies = 47,  // the receiver page's sends
    kVolume = 48,
    kLedText = 49,  // its detail names the row of the LED table
    kLogoff = 50,
    kTalkStart = 51,  // the microphone's announcement
    kTalkEnd = 52,
    kSpeechStart = 53,  // a spoken text
    kSpeechEnd = 54,
    kLinkDown = 60,
    kLinkUp = 61,
    // Changes of users and settings; the detail names the user, or the setting with its old and
    // new value.
    kUserAdded = 70,
    kUserDeleted = 71,
    kUserPromoted = 72,  // made an administrator
    kUserDemoted = 73,   // made an operator
    kPasswordChanged = 74,
    kSettingChanged = 75,
};

// The kind of a history line: a broadcast with its events, or one action.
enum class RecordKind : int { kBroadcast = 0, kOperator = 1, kLink = 2 };

struct HistoryEvent {
    std::time_t at = 0;
    HistoryKind kind = HistoryKind::kStart;
    std::string taskId;  // a broadcast's task; empty for an action
    std::string title;   // the task's name, or the action's text
    std::string zones;   // a broadcast's receivers, "1-2, 5"
    std::string detail;  // a file's path, a failure's reason, the receivers switched
    std::string operatorName;
    bool linkUp = true;  // the link was up when the event's frames were queued
    bool failed = false;
};

// The operator's words for a kind.
const char* HistoryKindText(HistoryKind kind);
bool IsBroadcastStep(HistoryKind kind);
// A step after which the broadcast is off the air.
bool EndsBroadcast(HistoryKind kind);
RecordKind RecordKindOf(HistoryKind kind);

}  // namespace lumetra
