#include "pages/EmergencyRefusalBox.h"

#include "station/EmergencyRefusal.h"
#include "widgets/MessageBox.h"

namespace lumetra {

bool AcceptedOrTold(QWidget* parent, bool accepted) {
    if (!accepted)
        ShowMessage(parent, QString::fromUtf8(kEmergencyRefusal), MbButtons::kOk, MbIcon::kWarning);
    return accepted;
}

}  // namespace lumetra
