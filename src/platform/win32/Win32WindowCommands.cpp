#include "platform/win32/Win32WindowCommands.h"

#include <QWidget>

#include <windows.h>

namespace tivrel {

namespace {

bool isSeparator(HMENU menu, int position) {
    const UINT state = GetMenuState(menu, UINT(position), MF_BYPOSITION);
    return state != UINT(-1) && (state & MF_SEPARATOR);
}

// Where Close stands: at 6 on the standard seven entries (Restore, Move, Size, Minimize,
// Maximize, a separator, Close); elsewhere on a menu another program or the system changed.
int closePosition(HMENU menu) {
    const int count = GetMenuItemCount(menu);
    if (count > 6 && GetMenuItemID(menu, 6) == SC_CLOSE)
        return 6;
    for (int i = 0; i < count; ++i) {
        if (GetMenuItemID(menu, i) == SC_CLOSE)
            return i;
    }
    return -1;
}

} // namespace

void Win32WindowCommands::removeCloseCommand(QWidget& window) {
    const auto handle = reinterpret_cast<HWND>(window.winId());
    HMENU menu = GetSystemMenu(handle, FALSE);
    if (!menu) {
        qWarning("Tivrel: the window has no system menu (error %lu)", GetLastError());
        return;
    }
    const int close = closePosition(menu);
    if (close < 0)
        return; // already gone
    RemoveMenu(menu, UINT(close), MF_BYPOSITION);
    // The separator above Close would be left dangling at the end of the menu.
    if (close > 0 && isSeparator(menu, close - 1))
        RemoveMenu(menu, UINT(close - 1), MF_BYPOSITION);
    DrawMenuBar(handle);
}

} // namespace tivrel
