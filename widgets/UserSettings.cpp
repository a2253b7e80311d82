#include "widgets/UserSettings.h"

#include "audio/AudioOutput.h"
#include "link/PortDevices.h"

namespace lumetra {
namespace {

const QString kAudioOutputKey = QStringLiteral("audio/output");
const QString kMonitorOutputKey = QStringLiteral("audio/monitor");
const QString kAlarmKey = QStringLiteral("emergency/alarmFile");

QString PortKey(int number) {
    return QStringLiteral("serial/com%1").arg(number);
}

}  // namespace

CUserSettings::CUserSettings() : m_settings(QStringLiteral("lumetra"), QStringLiteral("lumetra")) {}

std::string CUserSettings::PortDevice(int number) const {
    return Text(PortKey(number));
}

void CUserSettings::SetPortDevice(int number, const std::string& device) {
    SetText(PortKey(number), device);
}

std::string CUserSettings::AudioOutput() const {
    return Text(kAudioOutputKey);
}

void CUserSettings::SetAudioOutput(const std::string& output) {
    SetText(kAudioOutputKey, output);
}

std::string CUserSettings::MonitorOutput() const {
    return Text(kMonitorOutputKey);
}

void CUserSettings::SetMonitorOutput(const std::string& output) {
    SetText(kMonitorOutputKey, output);
}

std::string CUserSettings::AlarmFile() const {
    return Text(kAlarmKey);
}

void CUserSettings::SetAlarmFile(const std::string& path) {
    SetText(kAlarmKey, path);
}

std::string CUserSettings::Text(const QString& key) const {
    return m_settings.value(key).toString().toStdString();
}

void CUserSettings::SetText(const QString& key, const std::string& value) {
    if (value.empty())
        m_settings.remove(key);
    else
        m_settings.setValue(key, QString::fromStdString(value));
}

void LoadDeviceChoices() {
    const CUserSettings settings;
    for (int number = 1; number <= 4; ++number) SetChosenPortDevice(number, settings.PortDevice(number));
    SetChosenAudioOutput(settings.AudioOutput());
    SetChosenMonitorOutput(settings.MonitorOutput());
}

}  // namespace lumetra
