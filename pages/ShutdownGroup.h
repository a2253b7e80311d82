// The "系统自动关机" group of the settings page: the stored setting is shown read-only until
// "设  置" is pressed; "保存" then stores it and arms the shutdown.
#pragma once

#include <QGroupBox>

class QCheckBox;
class QPushButton;
class QTimeEdit;

namespace lumetra {

class CAutoShutdown;

class CShutdownGroup : public QGroupBox {
    Q_OBJECT
public:
    // Box and picker start disabled and empty; the page shows the setting during its set-up.
    CShutdownGroup(CAutoShutdown& shutdown, QWidget* parent);

    // Shows the setting held by the shutdown object; box and picker stay disabled.
    void ShowSetting();

    QCheckBox* EnableBox() const { return m_enabled; }
    QTimeEdit* TimePicker() const { return m_time; }
    QPushButton* SetButton() const { return m_button; }

private:
    void OnButton();
    void SetEditing(bool editing);

    CAutoShutdown& m_shutdown;
    QCheckBox* m_enabled;
    QTimeEdit* m_time;
    QPushButton* m_button;
    bool m_editing = false;
};

}  // namespace lumetra
