// The zone control page, left of the instant-play and receiver pages. Its controls come with a later version;
// until then it holds its place.
#pragma once

#include "pages/Page.h"

namespace lumetra {

class CDlgZoneControl : public CPendingPage {
    Q_OBJECT
public:
    explicit CDlgZoneControl(QWidget* parent)
        : CPendingPage(QStringLiteral("目标区域"), QRect(197, 140, 400, 470), parent) {}
};

}  // namespace lumetra
