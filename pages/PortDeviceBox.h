// The drop-down beside the port list of the settings page: which serial device the shown port
// number uses. It lists the machine's serial devices afresh each time it opens, so an adapter
// plugged in meanwhile shows up; the choice is stored in the user's configuration and handed to
// the link. LUMETRA_COM<N> overrides the choice; the box then shows that device, locked.
#pragma once

#include <QComboBox>

namespace lumetra {

class CPortDeviceBox : public QComboBox {
    Q_OBJECT
public:
    // `devRoot` is "/dev" except in tests.
    explicit CPortDeviceBox(QWidget* parent, QString devRoot = QStringLiteral("/dev"));

    // Shows the device of port `number` (1..4).
    void ShowPort(int number);
    void showPopup() override;

private:
    void Fill();
    void OnChosen(int index);

    QString m_devRoot;
    int m_number = 1;
};

}  // namespace lumetra
