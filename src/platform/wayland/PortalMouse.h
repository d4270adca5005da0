#pragma once

#include "platform/Mouse.h"
#include "platform/wayland/RemoteDesktopPortal.h"

#include <functional>
#include <memory>

namespace tivrel {

// Clicks through the desktop portal's remote desktop session: the first run asks the user
// in the system's dialog, and the session then lasts until the program ends.
class PortalMouse final : public Mouse {
public:
    struct Asking {
        std::function<QString()> notice; // told once, before the first dialog
        std::function<RemoteDesktopPortal::Request()> request;
        // The session started: what else needs it (the cursor stream) joins it here.
        std::function<void(RemoteDesktopPortal&)> granted;
    };

    // The portal is reached through the session bus once Qt runs, at the first ask.
    explicit PortalMouse(Asking asking,
                         std::function<std::unique_ptr<RemoteDesktopPortal>()> reach);
    ~PortalMouse() override;

    void press(MouseButton button) override;
    void release(MouseButton button) override;
    bool mustAsk() const override;
    QString askNotice() override;
    bool ask(QString* refusal) override;
    bool lost() const override;

private:
    Asking m_asking;
    std::function<std::unique_ptr<RemoteDesktopPortal>()> m_reach;
    std::unique_ptr<RemoteDesktopPortal> m_portal;
    bool m_told = false;
};

} // namespace tivrel
