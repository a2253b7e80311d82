// The receiver management page, beside the zone control page: sets the two tuning frequencies and
// the volume of the receivers ticked in the zone control page's tree, over the air.
#pragma once

#include <functional>
#include <optional>

#include "pages/Page.h"
#include "pages/ReceiverCommands.h"

class QDoubleSpinBox;
class QPushButton;
class QSpinBox;

namespace lumetra {

class CDlgReceiver : public CPage {
    Q_OBJECT
public:
    // The channel flags, refreshed from the ticks of the zone control page's tree.
    using FlagSource = std::function<const ChannelFlags&()>;

    CDlgReceiver(CTransmitterLink& link, QWidget* parent);

    void SetFlagSource(FlagSource source) { m_flagSource = std::move(source); }

    QDoubleSpinBox* Frequency2() const { return m_frequency2; }
    QDoubleSpinBox* Frequency3() const { return m_frequency3; }
    QSpinBox* Volume() const { return m_volume; }
    QPushButton* SendFrequencyButton() const { return m_sendFrequency; }
    QPushButton* SendVolumeButton() const { return m_sendVolume; }

private:
    void OnSendFrequencies();
    void OnSendVolume();
    const ChannelFlags& Flags() const;
    void Report(const std::string& message);

    CReceiverCommands m_commands;
    FlagSource m_flagSource;
    QDoubleSpinBox* m_frequency2;  // 1000
    QDoubleSpinBox* m_frequency3;  // 1001
    QSpinBox* m_volume;            // 1004
    QPushButton* m_sendFrequency;  // 1032
    QPushButton* m_sendVolume;     // 1033
};

}  // namespace lumetra
