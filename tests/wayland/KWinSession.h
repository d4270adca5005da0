#pragma once

#include "PrivateDesktop.h"

namespace tivrel::test {

// A headless KWin of the test's own, with what KDE's remote desktop portal needs around it:
// PipeWire and the portal's KDE backend. The test program itself may use KWin's fake input
// (the test's hand): KWin grants it to programs whose desktop file asks for it, and the
// session's home holds one for the running test program. With XWayland, KWin starts a
// rootless X server for X11 clients beside its Wayland ones.
class KWinSession final : public PrivateDesktop {
public:
    explicit KWinSession(X11 x11 = X11::None);

    std::unique_ptr<CompositorHand> newHand(QString* error) override;
    // Plasma 5.27's portal binds a program's global shortcut to no key and opens System
    // Settings for the user to give it one; Plasma 6's binds the key asked for.
    bool portalBindsKeys() const override;

private:
    bool startCompositor(QString* error) override;
    QStringList backendCommand(QStringList* extra) const override;
    bool backendAnswers() const override;
    bool portalAnswers() const override;
};

} // namespace tivrel::test
