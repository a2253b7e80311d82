// The user's own choices, kept apart from the shared database: the serial device of each port, the
// sound output, the monitor output and the emergency's alarm file, in $XDG_CONFIG_HOME/lumetra/lumetra.conf
// (by default ~/.config/lumetra/). Read by the settings page and by the program's start, with or without a
// window; an empty choice means the default and is not stored.
#pragma once

#include <QSettings>
#include <string>

namespace lumetra {

class CUserSettings {
public:
    CUserSettings();

    // Port 1..4.
    std::string PortDevice(int number) const;
    void SetPortDevice(int number, const std::string& device);
    std::string AudioOutput() const;
    void SetAudioOutput(const std::string& output);
    // Where "试听" plays; empty for none.
    std::string MonitorOutput() const;
    void SetMonitorOutput(const std::string& output);
    // The file the emergency plays; empty for the siren.
    std::string AlarmFile() const;
    void SetAlarmFile(const std::string& path);

private:
    std::string Text(const QString& key) const;
    // Only while an administrator may change settings; the change goes to the history.
    void SetText(const QString& key, const std::string& setting, const std::string& value);

    QSettings m_settings;
};

// Hands the stored serial devices to the link and the sound outputs to playback; run once at
// start, before the link opens a port.
void LoadDeviceChoices();

}  // namespace lumetra
