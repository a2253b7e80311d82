// The sound output's drop-down on the settings page: "默认输出" and the machine's audio outputs.
// Probing the outputs may take a moment, so it runs on a thread of its own and the list fills in
// when it is done; a box closed meanwhile drops the list and never waits for the probe. The
// choice is stored in the user's configuration and used from the next playback on.
#pragma once

#include <QComboBox>

#include "base/WorkerThread.h"

namespace lumetra {

class CAudioOutputBox : public QComboBox {
    Q_OBJECT
public:
    explicit CAudioOutputBox(QWidget* parent);

signals:
    // The outputs found are in the list.
    void Listed();

private:
    void Fill(const QStringList& outputs);
    void OnChosen(int index);

    CWorkerThread m_probe;
};

}  // namespace lumetra
