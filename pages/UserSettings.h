// The user's own configuration of Lumetra, kept apart from the shared database:
// $XDG_CONFIG_HOME/lumetra/lumetra.conf (by default ~/.config/lumetra/).
#pragma once

#include <QSettings>

namespace lumetra {

class CUserSettings : public QSettings {
public:
    CUserSettings() : QSettings(QStringLiteral("lumetra"), QStringLiteral("lumetra")) {}
};

}  // namespace lumetra
