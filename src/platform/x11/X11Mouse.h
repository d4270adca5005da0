#pragma once

#include "platform/Mouse.h"

#include <QString>

#include <initializer_list>

#include <memory>
#include <mutex>

struct _XDisplay;

namespace tivrel {

// Clicks through the XTEST extension and reads the pointer with XQueryPointer, on an X
// connection of its own so that it never waits behind the toolkit's traffic. The click
// thread and the UI thread's mouse watch share it, one request at a time.
class X11Mouse final : public Mouse {
public:
    // Opens the connection named by DISPLAY and checks for XTEST. On failure returns
    // nullptr and puts a message for the user into error.
    static std::unique_ptr<X11Mouse> open(QString* error);
    ~X11Mouse() override;

    void press(MouseButton button) override;
    void release(MouseButton button) override;
    // Both transitions in one write: the server is woken once per click.
    void click(MouseButton button) override;
    PointerPosition position() override;

private:
    explicit X11Mouse(_XDisplay* display);
    void send(MouseButton button, std::initializer_list<bool> presses);
    _XDisplay* m_display;
    std::mutex m_lock;
};

} // namespace tivrel
