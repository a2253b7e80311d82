// The "紧急广播警报音" group of the settings page: the file an emergency broadcast plays in a loop.
// Without a choice, or when the chosen file is gone, the station plays the siren Lumetra makes
// itself (station/EmergencyAlarm.h). The choice is kept in the user's configuration.
#pragma once

#include <QGroupBox>
#include <QString>

class QPushButton;

namespace lumetra {

class CPathLabel;

class CAlarmFileGroup : public QGroupBox {
    Q_OBJECT
public:
    explicit CAlarmFileGroup(QWidget* parent);

    // Stores `path` as the alarm; a file that does not exist is refused with a message.
    void Choose(const QString& path);
    void ChooseSiren();

    CPathLabel* FileLabel() const { return m_file; }
    QPushButton* BrowseButton() const { return m_browse; }
    QPushButton* SirenButton() const { return m_siren; }

private:
    void ShowChoice();

    CPathLabel* m_file;
    QPushButton* m_browse;
    QPushButton* m_siren;
};

}  // namespace lumetra
