#pragma once

#include <QString>

namespace tivrel {

// Maps the Windows-style paths the program's logic uses to this system's files:
// - the all-users Startup folder becomes the system-wide autostart folder, the first entry
//   of $XDG_CONFIG_DIRS (default /etc/xdg) followed by /autostart, and a ".lnk" link there
//   becomes a ".desktop" entry;
// - backslashes become slashes, and runs of them one;
// - the program file "Tivrel.exe" becomes "tivrel".
QString toLocalPath(const QString& path);

// The system-wide autostart folder.
QString autostartFolder();

} // namespace tivrel
