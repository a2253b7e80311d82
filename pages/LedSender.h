// What a click on the LED page's "发送" does, apart from its widgets.
#pragma once

#include <string>

#include "store/LedTable.h"

namespace lumetra {

class CStation;

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
