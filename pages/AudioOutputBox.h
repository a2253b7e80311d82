// The sound output's drop-down on the settings page: "默认输出" and the machine's audio outputs.
// Probing the outputs may take a moment, so it runs on a thread of its own and the list fills in
// when it is done. The choice is stored in the user's configuration and used from the next
// playback on.
#pragma once

#include <QComboBox>
#include <thread>

namespace lumetra {

class CAudioOutputBox : public QComboBox {
    Q_OBJECT
public:
    explicit CAudioOutputBox(QWidget* parent);
    ~CAudioOutputBox() override;

signals:
    // The outputs found are in the list.
    void Listed();

private:
    void Fill(const QStringList& outputs);
    void OnChosen(int index);

    std::thread m_probe;
};

// Hands the output stored in the user's configuration to playback; run once at start.
void LoadAudioOutputChoice();

}  // namespace lumetra
