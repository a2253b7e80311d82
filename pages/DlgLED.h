// The LED messaging page. Its controls come with a later version; until then it holds its place.
#pragma once

#include "pages/Page.h"

namespace lumetra {

class CDlgLED : public CPendingPage {
    Q_OBJECT
public:
    explicit CDlgLED(QWidget* parent)
        : CPendingPage(QStringLiteral("LED屏幕文字发送"), QRect(197, 140, 770, 470), parent) {}
};

}  // namespace lumetra
