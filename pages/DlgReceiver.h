// The receiver management page, beside the zone control page. Its controls come with a later version; until
// then it holds its place.
#pragma once

#include "pages/Page.h"

namespace lumetra {

class CDlgReceiver : public CPendingPage {
    Q_OBJECT
public:
    explicit CDlgReceiver(QWidget* parent)
        : CPendingPage(QStringLiteral("接收机"), QRect(600, 140, 390, 470), parent) {}
};

}  // namespace lumetra
