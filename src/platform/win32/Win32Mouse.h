#pragma once

#include "platform/Mouse.h"

#include <initializer_list>

namespace tivrel {

// Clicks with SendInput, as if from the physical mouse. SendInput returns once the input is in the
// system's input stream.
class Win32Mouse final : public Mouse {
public:
    void press(MouseButton button) override;
    void release(MouseButton button) override;
    // Both transitions in one SendInput: nothing another program sends comes between them.
    void click(MouseButton button) override;

private:
    void send(std::initializer_list<unsigned long> flags);
    bool m_sendFailed = false;
};

} // namespace tivrel
