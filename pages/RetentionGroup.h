// The "播放记录保留" group of the settings page: how many days the broadcast history keeps its
// lines; older ones are removed at midnight. "保存" stores the number shown.
#pragma once

#include <QGroupBox>

class QPushButton;
class QSpinBox;

namespace lumetra {

class CDatabase;

class CRetentionGroup : public QGroupBox {
    Q_OBJECT
public:
    CRetentionGroup(CDatabase& db, QWidget* parent);

    // Shows the stored period.
    void ShowSetting();
    QSpinBox* Days() const { return m_days; }
    QPushButton* SaveButton() const { return m_save; }

private:
    void Save();

    CDatabase& m_db;
    QSpinBox* m_days;
    QPushButton* m_save;
};

}  // namespace lumetra
