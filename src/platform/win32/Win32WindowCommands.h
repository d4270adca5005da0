#pragma once

#include "platform/WindowCommands.h"

namespace tivrel {

// The close command taken out of the window's system menu, which also disables the close box
// of its title bar.
class Win32WindowCommands final : public WindowCommands {
public:
    void removeCloseCommand(QWidget& window) override;
};

} // namespace tivrel
