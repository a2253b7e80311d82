// Lumetra's desktop id: the name of the .desktop file the package installs into
// share/applications (packaging/org.lumetra.Lumetra.desktop). The autostart entry takes it too.
#pragma once

namespace lumetra {

inline constexpr const char* kDesktopFileName = "org.lumetra.Lumetra.desktop";

}  // namespace lumetra
