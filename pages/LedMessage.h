// What the LED page decides, apart from its widgets: how many GBK bytes a text takes on a screen,
// where a text too long for one is cut, and what a click on "发送" does.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "link/Frames.h"
#include "store/LedTable.h"

namespace lumetra {

class CStation;

// Bytes the UTF-8 text takes in GBK: one for ASCII, two for a Chinese character. A character
// that GBK lacks counts two; such a text is refused when it is sent.
size_t GbkByteCount(std::string_view utf8);
// The longest leading part of whole characters that fits in `limit` GBK bytes.
std::string CutToGbkBytes(std::string_view utf8, size_t limit);
// The first character GBK cannot encode, empty when there is none.
std::string FirstCharacterWithoutGbk(std::string_view utf8);
// "还可输入 %d 字节（一个汉字占 2 字节）" with the bytes still free.
std::string LedHintText(size_t bytesUsed);

struct LedSendResult {
    bool sent = false;
    std::string refusal;  // the operator's message when nothing was sent
    LedRow row;           // the history row stored when sent
};

class CLedSender {
public:
    explicit CLedSender(CStation& station) : m_station(station) {}

    // Checks the address (position 0..127, -1 for none) and the text, then has the station queue
    // the frame and store the history row, also while the link is down. Throws CDbError when the
    // row cannot be stored; the frame has been queued by then.
    LedSendResult Send(const std::string& text, int position);

private:
    CStation& m_station;
};

}  // namespace lumetra
