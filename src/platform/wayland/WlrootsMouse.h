#pragma once

#include "platform/Mouse.h"

#include <QString>

#include <initializer_list>
#include <memory>

namespace tivrel {

// Clicks through a virtual pointer (zwlr_virtual_pointer_v1, which wlroots compositors
// offer) on a Wayland connection of its own, whose events go to a queue only this class
// dispatches: Qt, on its own connection, never reads them, and the click thread and the UI
// thread (which never click at the same time) find nobody else waiting on them.
class WlrootsMouse final : public Mouse {
public:
    // Connects to WAYLAND_DISPLAY and makes the virtual pointer on its seat. On failure
    // returns nullptr and puts a message for the user into error that says what the
    // desktop lacks.
    static std::unique_ptr<WlrootsMouse> open(QString* error);
    ~WlrootsMouse() override;

    // Each returns once the compositor has handled the transitions (a sync answered), or at
    // once where the connection is lost.
    void press(MouseButton button) override;
    void release(MouseButton button) override;
    // Both transitions, each in its own frame, and one sync behind them.
    void click(MouseButton button) override;

    // The Wayland objects; named here for the registry's callbacks in the .cpp file.
    struct Connection;

private:
    explicit WlrootsMouse(std::unique_ptr<Connection> connection);
    void send(MouseButton button, std::initializer_list<bool> presses);
    bool usable();

    std::unique_ptr<Connection> m_connection;
    bool m_lossLogged = false;
};

} // namespace tivrel
