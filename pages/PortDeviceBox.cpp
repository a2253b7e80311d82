#include "pages/PortDeviceBox.h"

#include "link/PortDevices.h"
#include "widgets/UserSettings.h"

namespace lumetra {
CPortDeviceBox::CPortDeviceBox(QWidget* parent, QString devRoot)
    : QComboBox(parent), m_devRoot(std::move(devRoot)) {
    // A fixed width: the page keeps its layout whatever names the machine reports.
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(24);
    connect(this, &QComboBox::activated, this, &CPortDeviceBox::OnChosen);
    Fill();
}

void CPortDeviceBox::ShowPort(int number) {
    m_number = number;
    Fill();
}

void CPortDeviceBox::showPopup() {
    Fill();
    QComboBox::showPopup();
}

void CPortDeviceBox::Fill() {
    clear();
    const PortDeviceOffer offer = OfferPortDevices(m_number, m_devRoot.toStdString());
    for (const PortDeviceEntry& entry : offer.entries)
        addItem(QString::fromStdString(entry.label), QString::fromStdString(entry.device));
    setCurrentIndex(static_cast<int>(offer.chosen));
    setEnabled(!offer.locked);
}

void CPortDeviceBox::OnChosen(int index) {
    const std::string device = itemData(index).toString().toStdString();
    CUserSettings().SetPortDevice(m_number, device);
    SetChosenPortDevice(m_number, device);
}

}  // namespace lumetra
