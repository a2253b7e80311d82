#include "pages/ReceiverPage.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>

#include "widgets/MessageBox.h"
#include "widgets/NumberEdit.h"

namespace lumetra {
namespace {

CNumberEdit* FrequencyEdit(QWidget* parent) {
    auto* edit =
        new CNumberEdit(CReceiverCommands::kMinFrequency, CReceiverCommands::kMaxFrequency, 0.1, 1, parent);
    edit->SetValue(68.0);
    return edit;
}

// A number far outside every range is refused like an unreadable one, before it could overflow.
template <typename Number>
std::optional<Number> Shown(const CNumberEdit* edit) {
    const std::optional<double> value = edit->Value();
    if (!value || std::abs(*value) > 1e6) return std::nullopt;
    return static_cast<Number>(*value);
}

}  // namespace

CReceiverPage::CReceiverPage(CStation& station, QWidget* parent)
    : CPage(QRect(600, 140, 390, 470), parent), m_commands(station) {
    auto* frame = new QGroupBox(QStringLiteral("接收机"), this);

    auto* frequencyGroup = new QGroupBox(QStringLiteral("接收机频率修改"), frame);
    m_frequency2 = FrequencyEdit(frequencyGroup);
    m_frequency3 = FrequencyEdit(frequencyGroup);
    m_sendFrequency = new QPushButton(QStringLiteral("发送"), frequencyGroup);
    auto* frequencyGrid = new QGridLayout(frequencyGroup);
    frequencyGrid->addWidget(new QLabel(QStringLiteral("频率2"), frequencyGroup), 0, 0);
    frequencyGrid->addWidget(m_frequency2, 0, 1);
    frequencyGrid->addWidget(new QLabel(QStringLiteral("单位：MHz"), frequencyGroup), 0, 2);
    frequencyGrid->addWidget(new QLabel(QStringLiteral("频率3"), frequencyGroup), 1, 0);
    frequencyGrid->addWidget(m_frequency3, 1, 1);
    frequencyGrid->addWidget(new QLabel(QStringLiteral("范围：68.0-108.0"), frequencyGroup), 1, 2);
    frequencyGrid->addWidget(m_sendFrequency, 2, 1);

    auto* volumeGroup = new QGroupBox(QStringLiteral("接收机音量修改"), frame);
    m_volume =
        new CNumberEdit(CReceiverCommands::kMinVolume, CReceiverCommands::kMaxVolume, 1, 0, volumeGroup);
    m_volume->SetValue(13);
    m_sendVolume = new QPushButton(QStringLiteral("发送"), volumeGroup);
    auto* volumeGrid = new QGridLayout(volumeGroup);
    volumeGrid->addWidget(m_volume, 0, 1);
    volumeGrid->addWidget(new QLabel(QStringLiteral("单位：级"), volumeGroup), 0, 2);
    volumeGrid->addWidget(new QLabel(QStringLiteral("范围：0-15"), volumeGroup), 1, 2);
    volumeGrid->addWidget(m_sendVolume, 2, 1);

    m_status = new QLabel(frame);
    m_status->setWordWrap(true);

    auto* inner = new QVBoxLayout(frame);
    inner->addWidget(frequencyGroup);
    inner->addWidget(volumeGroup);
    inner->addStretch();
    inner->addWidget(m_status);
    auto* outer = new QVBoxLayout(this);
    outer->addWidget(frame);

    connect(m_sendFrequency, &QPushButton::clicked, this, &CReceiverPage::OnSendFrequencies);
    connect(m_sendVolume, &QPushButton::clicked, this, &CReceiverPage::OnSendVolume);
}

const ChannelFlags& CReceiverPage::Flags() const {
    static const ChannelFlags kNone{};
    return m_flagSource ? m_flagSource() : kNone;
}

void CReceiverPage::OnSendFrequencies() {
    Report(m_commands.SendFrequencies(Flags(), Shown<float>(m_frequency2), Shown<float>(m_frequency3)));
}

void CReceiverPage::OnSendVolume() {
    Report(m_commands.SendVolume(Flags(), Shown<int>(m_volume)));
}

void CReceiverPage::Report(const CReceiverCommands::Outcome& outcome) {
    const QString text = QString::fromStdString(outcome.text);
    if (outcome.sent) return m_status->setText(text);
    m_status->clear();
    ShowMessage(this, text, MbButtons::kOk, MbIcon::kWarning);
}

}  // namespace lumetra
