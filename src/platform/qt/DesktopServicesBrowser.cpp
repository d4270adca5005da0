#include "platform/qt/DesktopServicesBrowser.h"

#include <QDesktopServices>
#include <QUrl>

namespace tivrel {

void DesktopServicesBrowser::open(const QString& address) {
    if (!QDesktopServices::openUrl(QUrl(address)))
        qWarning("Tivrel: no browser opened %s", qPrintable(address));
}

} // namespace tivrel
