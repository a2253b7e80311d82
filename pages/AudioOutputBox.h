// A sound output's drop-down on the settings page. The broadcast's: "默认输出" and the machine's
// audio outputs. The monitor's, where "试听" plays: "不监听" and every output but the broadcast's;
// an output chosen for both stays the broadcast's. Probing the outputs may take a moment, so it runs
// on a thread of its own and the list fills in when it is done; a box closed meanwhile drops the
// list and never waits for the probe. The choice is stored in the user's configuration and used
// from the next playback on.
#pragma once

#include <QComboBox>

#include "base/WorkerThread.h"

namespace lumetra {

enum class OutputRole { kBroadcast, kMonitor };

class CAudioOutputBox : public QComboBox {
    Q_OBJECT
public:
    CAudioOutputBox(OutputRole role, QWidget* parent);

    // Lists the outputs found again against the choices in force (the broadcast's has changed).
    void Refill();

signals:
    // The outputs found are in the list.
    void Listed();
    // The operator chose an entry, which is in force now.
    void Chosen();

private:
    void OnChosen(int index);
    void Choose(const std::string& name);

    const OutputRole m_role;
    QStringList m_outputs;  // what the probe found
    CWorkerThread m_probe;
};

}  // namespace lumetra
