#include "widgets/UserSettings.h"

#include "audio/AudioOutput.h"
#include "base/Logger.h"
#include "link/PortDevices.h"
#include "store/ChangeJournal.h"
#include "store/LoggedIn.h"

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
    SetText(PortKey(number), "COM" + std::to_string(number) + " 的设备", device);
}

std::string CUserSettings::AudioOutput() const {
    return Text(kAudioOutputKey);
}

void CUserSettings::SetAudioOutput(const std::string& output) {
    SetText(kAudioOutputKey, "声音输出", output);
}

std::string CUserSettings::MonitorOutput() const {
    return Text(kMonitorOutputKey);
}

void CUserSettings::SetMonitorOutput(const std::string& output) {
    SetText(kMonitorOutputKey, "监听输出", output);
}

std::string CUserSettings::AlarmFile() const {
    return Text(kAlarmKey);
}

void CUserSettings::SetAlarmFile(const std::string& path) {
    SetText(kAlarmKey, "报警文件", path);
}

std::string CUserSettings::Text(const QString& key) const {
    return m_settings.value(key).toString().toStdString();
}

void CUserSettings::SetText(const QString& key, const std::string& setting, const std::string& value) {
    if (!MayAdminister()) {
        Logger().Log("settings: %s not changed, no administrator logged in", setting.c_str());
        return;
    }
    auto text = [](const std::string& stored) { return stored.empty() ? std::string("（默认）") : stored; };
    const std::string before = Text(key);
    if (value.empty())
        m_settings.remove(key);
    else
        m_settings.setValue(key, QString::fromStdString(value));
    JournalSettingChange(setting, text(before), text(value));
}

void LoadDeviceChoices() {
    const CUserSettings settings;
    for (int number = 1; number <= 4; ++number) SetChosenPortDevice(number, settings.PortDevice(number));
    SetChosenAudioOutput(settings.AudioOutput());
    SetChosenMonitorOutput(settings.MonitorOutput());
}

}  // namespace lumetra
