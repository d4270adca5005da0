#pragma once

#include "platform/WindowStacking.h"

namespace tivrel {

// The topmost band of the window manager: SetWindowPos with HWND_TOPMOST and
// HWND_NOTOPMOST, without moving, sizing or activating the window.
class Win32WindowStacking final : public WindowStacking {
public:
    void makeOnTop(QWidget& window) override;
    void makeNotOnTop(QWidget& window) override;
};

} // namespace tivrel
