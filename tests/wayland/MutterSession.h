#pragma once

#include "PrivateDesktop.h"

namespace tivrel::test {

// A headless GNOME of the test's own: mutter with one virtual monitor (with XWayland on
// request, as GNOME starts it for X11 clients; none otherwise), PipeWire and its session
// manager, and the desktop portal with its GNOME backend, run as the test's own user (root
// works: unlike sway, none of them refuses it). The test's hand is mutter's own remote
// desktop.
class MutterSession final : public PrivateDesktop {
public:
    // mutter's name for the virtual monitor.
    static constexpr char kConnector[] = "Meta-0";

    explicit MutterSession(X11 x11 = X11::None);

    QString xauthority() const override;
    std::unique_ptr<CompositorHand> newHand(QString* error) override;
    // mutter 48 refuses another client's request to activate a window (xdotool's
    // windowactivate waits for it in vain), but takes the focus given directly, as mutter 43
    // does too.
    bool activatesOnRequest() const override { return false; }
    // WirePlumber, which links each screen cast to the program that reads it.
    ChildProcess& sessionManager() { return *m_sessionManager; }

private:
    bool startCompositor(QString* error) override;
    QStringList backendCommand(QStringList* extra) const override;
    bool backendAnswers() const override;
    bool portalAnswers() const override;

    ChildProcess* m_sessionManager = nullptr;
};

} // namespace tivrel::test
