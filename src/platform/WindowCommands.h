#pragma once

class QWidget;

namespace tivrel {

// The commands the desktop offers on a window's frame (its buttons and window menu).
class WindowCommands {
public:
    virtual ~WindowCommands() = default;
    // Takes the close command away from the window's frame, as far as the desktop allows.
    // A desktop may still offer it: the window must refuse the user's close requests too.
    virtual void removeCloseCommand(QWidget& window) = 0;
};

} // namespace tivrel
