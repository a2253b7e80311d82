#include "pages/DlgReceiver.h"

#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "widgets/MessageBox.h"

namespace lumetra {
namespace {

QDoubleSpinBox* FrequencySpin(QWidget* parent) {
    auto* spin = new QDoubleSpinBox(parent);
    spin->setRange(CReceiverCommands::kMinFrequency, CReceiverCommands::kMaxFrequency);
    spin->setSingleStep(0.1);
    spin->setDecimals(1);
    spin->setValue(68.0);
    return spin;
}

// The number the operator sees in the field; none when the text is not one.
std::optional<float> ShownFrequency(const QDoubleSpinBox* spin) {
    bool ok = false;
    const float value = spin->locale().toFloat(spin->cleanText(), &ok);
    return ok ? std::optional<float>(value) : std::nullopt;
}

std::optional<int> ShownVolume(const QSpinBox* spin) {
    bool ok = false;
    const int value = spin->locale().toInt(spin->cleanText(), &ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

}  // namespace

CDlgReceiver::CDlgReceiver(CTransmitterLink& link, QWidget* parent)
    : CPage(QRect(600, 140, 390, 470), parent), m_commands(link) {
    auto* frame = new QGroupBox(QStringLiteral("接收机"), this);

    auto* frequencyGroup = new QGroupBox(QStringLiteral("接收机频率修改"), frame);
    m_frequency2 = FrequencySpin(frequencyGroup);
    m_frequency3 = FrequencySpin(frequencyGroup);
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
    m_volume = new QSpinBox(volumeGroup);
    m_volume->setRange(CReceiverCommands::kMinVolume, CReceiverCommands::kMaxVolume);
    m_volume->setValue(13);
    m_sendVolume = new QPushButton(QStringLiteral("发送"), volumeGroup);
    auto* volumeGrid = new QGridLayout(volumeGroup);
    volumeGrid->addWidget(m_volume, 0, 1);
    volumeGrid->addWidget(new QLabel(QStringLiteral("单位：dB"), volumeGroup), 0, 2);
    volumeGrid->addWidget(new QLabel(QStringLiteral("范围：0-15"), volumeGroup), 1, 2);
    volumeGrid->addWidget(m_sendVolume, 2, 1);

    auto* inner = new QVBoxLayout(frame);
    inner->addWidget(frequencyGroup);
    inner->addWidget(volumeGroup);
    inner->addStretch();
    auto* outer = new QVBoxLayout(this);
    outer->addWidget(frame);

    connect(m_sendFrequency, &QPushButton::clicked, this, &CDlgReceiver::OnSendFrequencies);
    connect(m_sendVolume, &QPushButton::clicked, this, &CDlgReceiver::OnSendVolume);
}

const ChannelFlags& CDlgReceiver::Flags() const {
    static const ChannelFlags kNone{};
    return m_flagSource ? m_flagSource() : kNone;
}

void CDlgReceiver::OnSendFrequencies() {
    Report(m_commands.SendFrequencies(Flags(), ShownFrequency(m_frequency2), ShownFrequency(m_frequency3)));
}

void CDlgReceiver::OnSendVolume() {
    Report(m_commands.SendVolume(Flags(), ShownVolume(m_volume)));
}

void CDlgReceiver::Report(const std::string& message) {
    if (!message.empty()) ShowMessage(this, QString::fromStdString(message), MbButtons::Ok, MbIcon::Warning);
}

}  // namespace lumetra
