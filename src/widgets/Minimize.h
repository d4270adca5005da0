#pragma once

#include <functional>

class QWidget;

namespace tivrel {

// Window managers that ignore the no-minimize hint (openbox among them) minimize any window
// the user asks them to. The program's windows have no way back from there, so each decides
// what a minimize means: the main window hides to the tray, the modal windows come back.

// Calls `handler` each time `window` becomes minimized, after the window has taken the state.
void onMinimized(QWidget& window, std::function<void()> handler);

// Takes the minimized state off the window; a shown window is shown again where it was.
void restoreFromMinimized(QWidget& window);

} // namespace tivrel
