#include "ScreenCastMouse.h"

namespace tivrel::test {

std::unique_ptr<PortalMouse> newScreenCastMouse(const QDBusConnection& bus,
                                                ScreenCastPointerWatch& watch, QString& streamError,
                                                EisConnector eis) {
    return std::make_unique<PortalMouse>(
        PortalMouse::Asking{.notice = {},
                            .request =
                                [] {
                                    return RemoteDesktopPortal::Request{.parentWindow = {},
                                                                        .cursorStream = true,
                                                                        .restoreToken = {}};
                                },
                            .granted =
                                [&watch, &streamError](RemoteDesktopPortal& portal) {
                                    const int fd = portal.openPipeWireRemote(&streamError);
                                    if (fd >= 0)
                                        watch.connectStream(fd, portal.cursorStreamNode(),
                                                            &streamError);
                                }},
        [bus] { return std::make_unique<RemoteDesktopPortal>(bus); }, std::move(eis));
}

} // namespace tivrel::test
