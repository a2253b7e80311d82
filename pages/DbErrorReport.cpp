#include "pages/DbErrorReport.h"

#include "base/Logger.h"
#include "store/DbError.h"
#include "widgets/MessageBox.h"

namespace lumetra {

void ReportDbError(QWidget* parent, const CDbError& error) {
    Logger().Log("database error: %s", error.what());
    ShowMessage(parent, QString::fromUtf8(error.what()), MbButtons::kOk, MbIcon::kError);
}

}  // namespace lumetra
