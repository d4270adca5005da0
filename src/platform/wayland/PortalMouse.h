#pragma once

#include "platform/Mouse.h"
#include "platform/wayland/EisButtons.h"
#include "platform/wayland/RemoteDesktopPortal.h"

#include <functional>
#include <memory>

namespace tivrel {

// Clicks through the desktop portal's remote desktop session: the first run asks the user
// in the system's dialog, and the session then lasts until the program ends. Its buttons go
// through the compositor's input socket where the portal hands one out and this build has
// an EIS sender, otherwise through the portal's D-Bus calls.
class PortalMouse final : public Mouse {
public:
    struct Asking {
        std::function<QString()> notice; // told once, before the first dialog
        std::function<RemoteDesktopPortal::Request()> request;
        // The session started: what else needs it (the cursor stream) joins it here.
        std::function<void(RemoteDesktopPortal&)> granted;
    };

    // The portal is reached through the session bus once Qt runs, at the first ask.
    PortalMouse(Asking asking, std::function<std::unique_ptr<RemoteDesktopPortal>()> reach,
                EisConnector eis = eisConnector());
    ~PortalMouse() override;

    void press(MouseButton button) override;
    void release(MouseButton button) override;
    void click(MouseButton button) override;
    bool mustAsk() const override;
    QString askNotice() override;
    bool ask(QString* refusal) override;
    bool lost() const override;

    // Whether the granted session's buttons go through the compositor's input socket.
    bool throughEis() const { return m_eisButtons != nullptr; }

private:
    // Where the session's portal hands out the compositor's input socket.
    void connectEis();

    Asking m_asking;
    std::function<std::unique_ptr<RemoteDesktopPortal>()> m_reach;
    EisConnector m_eis;
    std::unique_ptr<RemoteDesktopPortal> m_portal;
    std::unique_ptr<EisButtons> m_eisButtons;
    bool m_told = false;
};

} // namespace tivrel
