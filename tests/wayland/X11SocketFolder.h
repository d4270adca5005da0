#pragma once

#include <QString>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace tivrel::test {

// XWayland listens in /tmp/.X11-unix, which the system makes at boot, everyone's and sticky
// (1777). A fresh machine or a root without that step lacks it or has it narrower: KWin then
// starts no XWayland, and mutter 48 starts none or dies. Made so here, as the system would.
inline bool ensureX11SocketFolder(QString* error) {
    constexpr char kFolder[] = "/tmp/.X11-unix";
    constexpr mode_t kMode = S_ISVTX | S_IRWXU | S_IRWXG | S_IRWXO;
    struct stat folder {};
    if ((::stat(kFolder, &folder) == 0 ||
         (::mkdir(kFolder, kMode) == 0 && ::stat(kFolder, &folder) == 0)) &&
        ((folder.st_mode & 07777) == kMode || ::chmod(kFolder, kMode) == 0))
        return true;
    *error = QStringLiteral("%1 cannot be made everyone's (mode 1777) for XWayland: %2")
                 .arg(QLatin1String(kFolder), QString::fromLocal8Bit(std::strerror(errno)));
    return false;
}

} // namespace tivrel::test
