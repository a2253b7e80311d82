#include "pages/PortDeviceBox.h"

#include "link/PortDevices.h"
#include "pages/UserSettings.h"

namespace lumetra {
namespace {

QString SettingKey(int number) {
    return QStringLiteral("serial/com%1").arg(number);
}

}  // namespace

CPortDeviceBox::CPortDeviceBox(QWidget* parent, QString devRoot)
    : QComboBox(parent), m_devRoot(std::move(devRoot)) {
    setSizeAdjustPolicy(QComboBox::AdjustToContents);
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
    const QString device = itemData(index).toString();
    CUserSettings settings;
    if (device.isEmpty())
        settings.remove(SettingKey(m_number));
    else
        settings.setValue(SettingKey(m_number), device);
    SetChosenPortDevice(m_number, device.toStdString());
}

void LoadPortDeviceChoices() {
    const CUserSettings settings;
    for (int number = 1; number <= 4; ++number)
        SetChosenPortDevice(number, settings.value(SettingKey(number)).toString().toStdString());
}

}  // namespace lumetra
