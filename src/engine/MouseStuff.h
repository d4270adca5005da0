#pragma once

#include <QtGlobal>

#include <optional>

class QWidget;

namespace tivrel {

class Mouse;
class RunWindow;
class SystemMenu;

// Button codes of a click run.
enum ButtonCode : int { LeftButton = 1, RightButton = 2, MiddleButton = 4 };

// The only code that makes mouse input or reads the pointer.
class MouseStuff {
public:
    explicit MouseStuff(Mouse& mouse) : m_mouse(mouse) {}

    // The press and release flags of a button code; 0 for any other code.
    static quint32 pressFlag(int code);
    static quint32 releaseFlag(int code);

    void ButtonDown(int code);
    void ButtonUp(int code);
    // One press and release at the pointer, then the window's click count rises by one.
    void ClickButton(int code, RunWindow& window);
    // The pointer's x + y; the first call after StartCursorSum was emptied records it there.
    qint32 CursorSum();

    // x + y of the pointer at the start of the run; empty until the run's first reading.
    std::optional<qint32> StartCursorSum;

private:
    Mouse& m_mouse;
};

// Takes the Close command and the separator above it (positions 6 and 5 of the standard
// system menu) away from a window.
void RemoveCloseItem(QWidget& window, SystemMenu& menu);

} // namespace tivrel
