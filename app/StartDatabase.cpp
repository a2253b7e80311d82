#include "app/StartDatabase.h"

#include <QMessageBox>

#include "app/Application.h"
#include "store/DatabaseLocation.h"
#include "widgets/MessageBox.h"

namespace lumetra {

bool OpenStartDatabase(const std::string& option, std::unique_ptr<QWidget>* notice) {
    const DatabaseLocation location = ChooseDatabaseLocation(CurrentLocationInputs(option));
    std::string created, error;
    if (!PrepareDatabase(location, &created, &error)) {
        ShowMessage(nullptr, QString::fromStdString(error), MbButtons::kOk, MbIcon::kError);
        return false;
    }
    if (!OpenAppDatabase(location.path)) return false;
    if (!created.empty()) {
        auto box = std::make_unique<QMessageBox>(QMessageBox::Information, QString::fromUtf8(kAppCaption),
                                                 QString::fromStdString(created), QMessageBox::Ok);
        box->setWindowModality(Qt::NonModal);
        box->show();
        *notice = std::move(box);
    }
    return true;
}

}  // namespace lumetra
