#include "pages/DlgSpeech.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QSlider>
#include <QStandardPaths>
#include <QVBoxLayout>
#include <algorithm>

#include "audio/AudioOutput.h"
#include "audio/LiveAudio.h"
#include "pages/EmergencyRefusalBox.h"
#include "station/Station.h"
#include "widgets/MessageBox.h"

namespace lumetra {
namespace {

constexpr std::chrono::milliseconds kStopCheck{20};

}  // namespace

std::string SpeechCacheFolder() {
    return (QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + "/lumetra/speech")
        .toStdString();
}

CDlgSpeech::CDlgSpeech(CStation& station, std::function<ChannelFlags()> tickedZones, QWidget* parent)
    : QDialog(parent),
      m_station(station),
      m_tickedZones(std::move(tickedZones)),
      m_renderer(SpeechCacheFolder()) {
    setWindowTitle(QStringLiteral("文字广播"));
    m_text = new QPlainTextEdit(this);
    m_text->setTabChangesFocus(true);
    m_text->setPlaceholderText(QStringLiteral("输入要广播的文字（中文或英文）"));
    m_speed = new QSlider(Qt::Horizontal, this);
    m_speed->setRange(CSpeechRenderer::kSlowest, CSpeechRenderer::kFastest);
    m_speed->setValue(CSpeechRenderer::kNormal);
    m_speedText = new QLabel(this);
    const auto showSpeed = [this](int value) {
        m_speedText->setText(QStringLiteral("每分钟 %1 词").arg(value));
    };
    showSpeed(m_speed->value());
    connect(m_speed, &QSlider::valueChanged, this, showSpeed);
    m_listen = new QPushButton(QStringLiteral("试听"), this);
    m_stopListening = new QPushButton(QStringLiteral("停止试听"), this);
    m_stopListening->setEnabled(false);
    m_play = new QPushButton(QStringLiteral("立即广播"), this);
    m_save = new QPushButton(QStringLiteral("另存为..."), this);
    auto* close = new QPushButton(QStringLiteral("关闭"), this);

    auto* speedRow = new QHBoxLayout;
    speedRow->addWidget(new QLabel(QStringLiteral("语速"), this));
    speedRow->addWidget(m_speed, 1);
    speedRow->addWidget(m_speedText);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {m_listen, m_stopListening, m_play, m_save, close}) buttons->addWidget(button);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_text, 1);
    layout->addLayout(speedRow);
    layout->addLayout(buttons);
    resize(460, 300);

    connect(m_listen, &QPushButton::clicked, this, &CDlgSpeech::OnListen);
    connect(m_stopListening, &QPushButton::clicked, this, &CDlgSpeech::StopListening);
    connect(m_play, &QPushButton::clicked, this, &CDlgSpeech::OnPlay);
    connect(m_save, &QPushButton::clicked, this, [this] {
        const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("保存朗读的声音"), {},
                                                          QStringLiteral("WAV 声音文件 (*.wav)"));
        if (!path.isEmpty()) SaveTo(path);
    });
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    ShowMonitorChoice();
}

void CDlgSpeech::done(int result) {
    // Closed mid-render: the render is cut short and its result dropped.
    m_render.Release();
    EnableButtons(true);
    StopListening();
    QDialog::done(result);
}

void CDlgSpeech::EnableButtons(bool enable) {
    m_rendering = !enable;
    for (QPushButton* button : {m_play, m_save}) button->setEnabled(enable);
    ShowMonitorChoice();
}

void CDlgSpeech::ShowMonitorChoice() {
    const bool monitor = HasMonitorOutput();
    m_listen->setEnabled(monitor && !m_rendering);
    m_listen->setToolTip(monitor ? QString() : QString::fromUtf8(kNoMonitorText));
}

void CDlgSpeech::OnListen() {
    if (!AcceptedOrTold(this, !m_station.InEmergency())) return;
    Render([this](const std::string& file) { Listen(file); });
}

void CDlgSpeech::Listen(const std::string& file) {
    if (!AcceptedOrTold(this, !m_station.InEmergency())) return;  // it began during the render
    m_stopListening->setEnabled(true);
    auto play = [dialog = QPointer<CDlgSpeech>(this), file](std::stop_token stop) {
        CLiveAudio monitor(AudioRoute::kMonitor);
        std::string error = monitor.StartFile(file);
        while (error.empty() && !stop.stop_requested() && !monitor.WaitForEnd(kStopCheck, &error)) {
        }
        monitor.Stop();
        if (stop.stop_requested()) return;
        QMetaObject::invokeMethod(QCoreApplication::instance(), [dialog, stop, error] {
            if (dialog && !stop.stop_requested()) dialog->OnListened(error);
        });
    };
    m_listening = CWorkerThread("the monitor playback", std::move(play));
}

void CDlgSpeech::OnListened(const std::string& error) {
    m_stopListening->setEnabled(false);
    if (!error.empty())
        ShowMessage(this, QStringLiteral("无法试听：%1").arg(QString::fromStdString(error)), MbButtons::kOk,
                    MbIcon::kWarning);
}

void CDlgSpeech::StopListening() {
    m_listening.Release();
    m_stopListening->setEnabled(false);
}

void CDlgSpeech::OnPlay() {
    if (!AcceptedOrTold(this, !m_station.InEmergency())) return;
    const ChannelFlags zones = m_tickedZones();
    if (std::none_of(zones.begin(), zones.end(), [](uint8_t flag) { return flag != 0; })) {
        ShowMessage(this, QStringLiteral("请先在左侧勾选要广播的区域。"), MbButtons::kOk, MbIcon::kWarning);
        return;
    }
    Render([this, zones](const std::string& file) { m_station.Announcer().Speak(zones, file); });
}

void CDlgSpeech::SaveTo(const QString& path) {
    Render([this, path](const std::string& file) {
        QFile::remove(path);
        if (!QFile::copy(QString::fromStdString(file), path))
            ShowMessage(this, QStringLiteral("无法保存到“%1”。").arg(path), MbButtons::kOk, MbIcon::kError);
    });
}

void CDlgSpeech::Render(std::function<void(const std::string& file)> use) {
    EnableButtons(false);
    auto render = [renderer = m_renderer, dialog = QPointer<CDlgSpeech>(this),
                   text = m_text->toPlainText().toStdString(), speed = m_speed->value(),
                   use = std::move(use)](std::stop_token stop) {
        SpeechResult result = renderer.Render(text, speed, stop);
        if (stop.stop_requested()) return;
        // Queued to the user-interface thread, where the dialog and the stop are read: a dialog
        // closed or gone meanwhile drops the result.
        auto finish = [dialog, stop, result = std::move(result), use] {
            if (dialog && !stop.stop_requested()) dialog->Finish(result, use);
        };
        QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(finish));
    };
    m_render = CWorkerThread("the speech render", std::move(render));
}

void CDlgSpeech::Finish(const SpeechResult& result, const std::function<void(const std::string& file)>& use) {
    EnableButtons(true);
    if (result.Ok())
        use(result.path);
    else
        ShowMessage(this, QString::fromStdString(result.error), MbButtons::kOk, MbIcon::kWarning);
    emit Done();
}

}  // namespace lumetra
