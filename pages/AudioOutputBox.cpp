#include "pages/AudioOutputBox.h"

#include <QCoreApplication>
#include <QPointer>

#include "audio/AudioOutput.h"
#include "widgets/UserSettings.h"

namespace lumetra {
CAudioOutputBox::CAudioOutputBox(QWidget* parent) : QComboBox(parent) {
    // A fixed width: the page keeps its layout whatever names the machine reports.
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(24);
    Fill({});
    connect(this, &QComboBox::activated, this, &CAudioOutputBox::OnChosen);
    auto probe = [box = QPointer<CAudioOutputBox>(this)](std::stop_token stop) {
        QStringList outputs;
        for (const std::string& name : ListAudioOutputs()) outputs << QString::fromStdString(name);
        if (stop.stop_requested()) return;  // the box has gone
        // Queued to the user-interface thread, where the pointer is read; dropped when the box has
        // gone meanwhile.
        QMetaObject::invokeMethod(QCoreApplication::instance(), [box, outputs] {
            if (box) box->Fill(outputs);
        });
    };
    m_probe = CWorkerThread("the sound output probe", std::move(probe));
}

void CAudioOutputBox::Fill(const QStringList& outputs) {
    clear();
    addItem(QStringLiteral("默认输出"), QString());
    for (const QString& name : outputs) addItem(name, name);
    const QString chosen = QString::fromStdString(ChosenAudioOutput());
    int index = findData(chosen);
    if (index < 0) {  // not there now: playback uses the default output until it returns
        addItem(QStringLiteral("%1（未连接）").arg(chosen), chosen);
        index = count() - 1;
    }
    setCurrentIndex(index);
    emit Listed();
}

void CAudioOutputBox::OnChosen(int index) {
    const std::string name = itemData(index).toString().toStdString();
    CUserSettings().SetAudioOutput(name);
    SetChosenAudioOutput(name);
}

}  // namespace lumetra
