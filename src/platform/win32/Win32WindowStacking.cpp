#include "platform/win32/Win32WindowStacking.h"

#include <QWidget>

#include <windows.h>

namespace tivrel {

namespace {

void place(QWidget& window, HWND after) {
    const auto handle = reinterpret_cast<HWND>(window.winId());
    if (!SetWindowPos(handle, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE))
        qWarning("Tivrel: SetWindowPos failed (error %lu)", GetLastError());
}

} // namespace

void Win32WindowStacking::makeOnTop(QWidget& window) {
    place(window, HWND_TOPMOST);
}

void Win32WindowStacking::makeNotOnTop(QWidget& window) {
    place(window, HWND_NOTOPMOST);
}

} // namespace tivrel
