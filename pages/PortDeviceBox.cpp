#include "pages/PortDeviceBox.h"

#include "link/PortDevices.h"
#include "link/SerialDevices.h"
#include "pages/UserSettings.h"

namespace lumetra {
namespace {

QString SettingKey(int number) {
    return QStringLiteral("serial/com%1").arg(number);
}

QString Override(int number) {
    return qEnvironmentVariable(qPrintable(QStringLiteral("LUMETRA_COM%1").arg(number)));
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
    if (const QString device = Override(m_number); !device.isEmpty()) {
        addItem(QStringLiteral("LUMETRA_COM%1: %2").arg(m_number).arg(device), device);
        setEnabled(false);
        return;
    }
    setEnabled(true);
    addItem(QStringLiteral("默认 (/dev/ttyS%1)").arg(m_number - 1), QString());
    for (const SerialDevice& device : ListSerialDevices(m_devRoot.toStdString()))
        addItem(QString::fromStdString(device.label), QString::fromStdString(device.path));
    const QString chosen = QString::fromStdString(ChosenPortDevice(m_number));
    int index = findData(chosen);
    if (index < 0) {  // unplugged: the choice stays and is found again when the adapter returns
        addItem(QStringLiteral("%1（未连接）").arg(chosen), chosen);
        index = count() - 1;
    }
    setCurrentIndex(index);
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
