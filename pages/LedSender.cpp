#include "pages/LedSender.h"

#include "link/Frames.h"
#include "pages/LedText.h"
#include "station/Station.h"

namespace lumetra {

LedSendResult CLedSender::Send(const std::string& text, int position) {
    LedSendResult result;
    if (position < 0 || position >= kLedScreenCount) {
        result.refusal = "请选择编码";
        return result;
    }
    if (text.empty()) {
        result.refusal = "请输入内容";
        return result;
    }
    if (const std::string missing = FirstCharacterWithoutGbk(text); !missing.empty()) {
        result.refusal = "字符“" + missing + "”无法在LED屏幕上显示，请删除后再发送";
        return result;
    }
    std::string error;
    const std::optional<LedRow> row = m_station.SendLedText(text, position, &error);
    if (!row) {
        result.refusal = "内容未能发送：" + error;
        return result;
    }
    result.sent = true;
    result.row = *row;
    return result;
}

}  // namespace lumetra
