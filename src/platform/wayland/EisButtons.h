#pragma once

#include <QString>

#include <functional>
#include <memory>

namespace tivrel {

// The pointer's buttons through the compositor's own input server (EIS), on the socket the
// remote desktop portal hands out for a granted session: no D-Bus call per press, and no
// portal between the program and the compositor.
class EisButtons {
public:
    virtual ~EisButtons() = default;
    // Buttons by their Linux input code (BTN_LEFT and so on), from the click thread. Each
    // returns once the compositor has answered a ping sent after the input, so it has taken
    // it; false once the connection is gone.
    virtual bool send(int code, bool pressed) = 0;
    // A press and its release, each in a frame of its own, then one ping.
    virtual bool click(int code) = 0;
    // The compositor ended the connection, or stopped answering.
    virtual bool lost() const = 0;
};

// Opens a sender on an EIS socket, taking the descriptor: nullptr and why where the
// compositor gives no device with buttons.
using EisConnector = std::function<std::unique_ptr<EisButtons>(int fd, QString* error)>;

// The EIS sender this build has: libei's where it was found, otherwise none (empty), and
// the buttons go through the portal's D-Bus calls.
EisConnector eisConnector();

} // namespace tivrel
