#include "store/HistoryEvent.h"

namespace lumetra {

const char* HistoryKindText(HistoryKind kind) {
    switch (kind) {
        case HistoryKind::kPowerUp:
            return "开机";
        case HistoryKind::kStart:
            return "开始";
        case HistoryKind::kLateStart:
            return "迟到开始";
        case HistoryKind::kEnd:
            return "结束";
        case HistoryKind::kStaleClose:
            return "启动时关闭";
        case HistoryKind::kEndDeleted:
            return "任务被删除";
        case HistoryKind::kEndRetimed:
            return "任务被重新保存";
        case HistoryKind::kEndExit:
            return "程序退出";
        case HistoryKind::kEndClockJump:
            return "时钟跳过开始";
        case HistoryKind::kEndInterrupted:
            return "被打断";
        case HistoryKind::kPowerDown:
            return "关机";
        case HistoryKind::kFileStart:
            return "播放文件";
        case HistoryKind::kFileEnd:
            return "文件播完";
        case HistoryKind::kFileFailed:
            return "文件失败";
        case HistoryKind::kFileInterrupted:
            return "文件被打断";
        case HistoryKind::kChannelsOn:
            return "打开接收机";
        case HistoryKind::kChannelsOff:
            return "关闭接收机";
        case HistoryKind::kOutletOn:
            return "打开电源";
        case HistoryKind::kEmergencyStart:
            return "紧急广播开始";
        case HistoryKind::kEmergencyStop:
            return "紧急广播结束";
        case HistoryKind::kLogin:
            return "登录";
        case HistoryKind::kOutletOff:
            return "关闭电源";
        case HistoryKind::kFrequencies:
            return "修改接收机频率";
        case HistoryKind::kVolume:
            return "修改接收机音量";
        case HistoryKind::kLedText:
            return "发送LED文字";
        case HistoryKind::kLogoff:
            return "注销";
        case HistoryKind::kTalkStart:
            return "讲话开始";
        case HistoryKind::kTalkEnd:
            return "讲话结束";
        case HistoryKind::kSpeechStart:
            return "文字广播开始";
        case HistoryKind::kSpeechEnd:
            return "文字广播结束";
        case HistoryKind::kLinkDown:
            return "通讯中断";
        case HistoryKind::kLinkUp:
            return "通讯恢复";
        case HistoryKind::kUserAdded:
            return "添加用户";
        case HistoryKind::kUserDeleted:
            return "删除用户";
        case HistoryKind::kUserPromoted:
            return "设为管理员";
        case HistoryKind::kUserDemoted:
            return "设为操作员";
        case HistoryKind::kPasswordChanged:
            return "修改密码";
        case HistoryKind::kSettingChanged:
            return "修改设置";
    }
    return "?";
}

bool IsBroadcastStep(HistoryKind kind) {
    return RecordKindOf(kind) == RecordKind::kBroadcast;
}

bool EndsBroadcast(HistoryKind kind) {
    return kind == HistoryKind::kEnd || kind == HistoryKind::kStaleClose ||
           kind == HistoryKind::kEndDeleted || kind == HistoryKind::kEndRetimed ||
           kind == HistoryKind::kEndExit || kind == HistoryKind::kEndClockJump ||
           kind == HistoryKind::kEndInterrupted;
}

RecordKind RecordKindOf(HistoryKind kind) {
    const int number = static_cast<int>(kind);
    if (number < 40) return RecordKind::kBroadcast;
    return number >= 60 && number < 70 ? RecordKind::kLink : RecordKind::kOperator;
}

}  // namespace lumetra
