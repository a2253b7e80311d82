// The "程序自启动" group of the settings page: the box is changed only after "设置" is pressed;
// "保存" then writes or removes the autostart entry and says how that went.
#pragma once

#include <QGroupBox>

class QCheckBox;
class QPushButton;

namespace lumetra {

class CAutostartGroup : public QGroupBox {
    Q_OBJECT
public:
    explicit CAutostartGroup(QWidget* parent);

    // Set once at start from the autostart entry.
    void SetStartWithSystem(bool on);
    bool StartWithSystem() const { return m_startWithSystem; }

    QCheckBox* Box() const { return m_box; }
    QPushButton* SetButton() const { return m_button; }

private:
    void OnButton();
    void Apply();

    QCheckBox* m_box;
    QPushButton* m_button;
    bool m_startWithSystem = false;
    bool m_editing = false;
};

}  // namespace lumetra
