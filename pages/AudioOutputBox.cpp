#include "pages/AudioOutputBox.h"

#include <QCoreApplication>
#include <QPointer>

#include "audio/AudioOutput.h"
#include "widgets/UserSettings.h"

namespace lumetra {

CAudioOutputBox::CAudioOutputBox(OutputRole role, QWidget* parent) : QComboBox(parent), m_role(role) {
    // A fixed width: the page keeps its layout whatever names the machine reports.
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(24);
    Refill();
    connect(this, &QComboBox::activated, this, &CAudioOutputBox::OnChosen);
    auto probe = [box = QPointer<CAudioOutputBox>(this)](std::stop_token stop) {
        QStringList outputs;
        for (const std::string& name : ListAudioOutputs()) outputs << QString::fromStdString(name);
        if (stop.stop_requested()) return;  // the box has gone
        // Queued to the user-interface thread, where the pointer is read; dropped when the box has
        // gone meanwhile.
        QMetaObject::invokeMethod(QCoreApplication::instance(), [box, outputs] {
            if (!box) return;
            box->m_outputs = outputs;
            box->Refill();
            emit box->Listed();
        });
    };
    m_probe = CWorkerThread("the sound output probe", std::move(probe));
}

void CAudioOutputBox::Refill() {
    const bool monitor = m_role == OutputRole::kMonitor;
    const QString broadcast = QString::fromStdString(ChosenAudioOutput());
    // One output cannot be both: the broadcast keeps it.
    if (monitor && !broadcast.isEmpty() && ChosenMonitorOutput() == broadcast.toStdString()) Choose({});
    clear();
    addItem(monitor ? QStringLiteral("不监听") : QStringLiteral("默认输出"), QString());
    for (const QString& name : m_outputs)
        if (!monitor || name != broadcast) addItem(name, name);
    const QString chosen = QString::fromStdString(monitor ? ChosenMonitorOutput() : ChosenAudioOutput());
    int index = findData(chosen);
    if (index < 0) {  // not there now: the broadcast uses the default output until it returns
        addItem(QStringLiteral("%1（未连接）").arg(chosen), chosen);
        index = count() - 1;
    }
    setCurrentIndex(index);
}

void CAudioOutputBox::OnChosen(int index) {
    Choose(itemData(index).toString().toStdString());
    emit Chosen();
}

void CAudioOutputBox::Choose(const std::string& name) {
    if (m_role == OutputRole::kMonitor) {
        CUserSettings().SetMonitorOutput(name);
        SetChosenMonitorOutput(name);
    } else {
        CUserSettings().SetAudioOutput(name);
        SetChosenAudioOutput(name);
    }
}

}  // namespace lumetra
