// The "系统自动关机" group of the settings page: the station's setting is shown read-only until
// "设置" is pressed; "保存" then has the station store it and arm the shutdown.
#pragma once

#include <QGroupBox>

class QCheckBox;
class QPushButton;
class QTimeEdit;

namespace lumetra {

class CStation;

class CShutdownGroup : public QGroupBox {
    Q_OBJECT
public:
    // Box and picker start disabled and empty; the page shows the setting during its set-up.
    CShutdownGroup(CStation& station, QWidget* parent);

    // Shows the station's setting, unless the operator is editing it; box and picker stay disabled.
    void ShowSetting();

    QCheckBox* EnableBox() const { return m_enabled; }
    QTimeEdit* TimePicker() const { return m_time; }
    QPushButton* SetButton() const { return m_button; }

private:
    void OnButton();
    void SetEditing(bool editing);

    CStation& m_station;
    QCheckBox* m_enabled;
    QTimeEdit* m_time;
    QPushButton* m_button;
    bool m_editing = false;
};

}  // namespace lumetra
