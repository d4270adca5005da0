#pragma once

#include "platform/WindowCommands.h"

namespace tivrel {

// Asks the window manager for a frame without a close button. Many ignore that (openbox
// does), so it is a courtesy: the refusal of close requests is what keeps the window open.
class QtWindowCommands final : public WindowCommands {
public:
    void removeCloseCommand(QWidget& window) override;
};

} // namespace tivrel
