#pragma once

#include <functional>

class QWidget;

namespace tivrel {

// Window managers that ignore the no-minimize hint (openbox among them) minimize any window
// the user asks them to. The program's windows have no way back from there, so each decides
// what a minimize means: the main window hides to the tray, the modal windows come back.

// Calls `handler` each time `window` becomes minimized, after the window has taken the state.
void onMinimized(QWidget& window, std::function<void()> handler);

// Whether the minimize that reached `window` was meant for a window over it. Openbox minimizes
// a window together with the window it belongs to (its transient parent), so a minimize of
// Help or of a message box reaches the main window too. While a modal window is open the
// minimize counts as that window's: the window under it must stay, or the modal window would
// be left over a window that is gone.
bool minimizedForAnotherWindow(const QWidget& window);

// Takes the minimized state off the window; a shown window is shown again where it was.
void restoreFromMinimized(QWidget& window);

} // namespace tivrel
