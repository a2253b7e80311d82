// The receiver management page, beside the zone control page: sets the two tuning frequencies and
// the volume of the receivers ticked in the zone control page's tree, over the air.
#pragma once

#include <functional>

#include "pages/Page.h"
#include "pages/ReceiverCommands.h"

class QLabel;
class QPushButton;

namespace lumetra {

class CNumberEdit;

class CReceiverPage : public CPage {
    Q_OBJECT
public:
    // The channel flags, refreshed from the ticks of the zone control page's tree.
    using FlagSource = std::function<const ChannelFlags&()>;

    CReceiverPage(CStation& station, QWidget* parent);

    void SetFlagSource(FlagSource source) { m_flagSource = std::move(source); }

    CNumberEdit* Frequency2() const { return m_frequency2; }
    CNumberEdit* Frequency3() const { return m_frequency3; }
    CNumberEdit* Volume() const { return m_volume; }
    QPushButton* SendFrequencyButton() const { return m_sendFrequency; }
    QPushButton* SendVolumeButton() const { return m_sendVolume; }
    // The page's status line: what the last send sent, and to which receivers.
    QLabel* StatusLine() const { return m_status; }

private:
    void OnSendFrequencies();
    void OnSendVolume();
    const ChannelFlags& Flags() const;
    // A refusal in a message box; what was sent, and to which receivers, in the status line.
    void Report(const CReceiverCommands::Outcome& outcome);

    CReceiverCommands m_commands;
    FlagSource m_flagSource;
    CNumberEdit* m_frequency2;
    CNumberEdit* m_frequency3;
    CNumberEdit* m_volume;
    QPushButton* m_sendFrequency;
    QPushButton* m_sendVolume;
    QLabel* m_status;
};

}  // namespace lumetra
