#pragma once

#include <QString>

namespace tivrel {

class ClickTimer;
class TickSource;

// The rows of the value scroll bars and their labels, by scroll bar index.
enum ValueRow : int { MinutesRow = 0, SecondsRow = 1, AmountRow = 2, SpeedRow = 3, HoursRow = 4 };
constexpr int kValueRows = 5;

// The timers of the UI thread; the fast click timer Timer1 is a ClickTimer of its own.
enum class RunTimer { Timer2, Timer3 };

// What the click run reads and writes of the main window: the choices, the values of the
// scroll bars (their labels always show the same numbers), the click count shown, the start
// button's caption, the three timers and the focus.
class RunWindow {
public:
    virtual ~RunWindow() = default;
    virtual bool isDelayOptionSelected(int index) const = 0;  // Option1: 0 slow, 1 fast
    virtual bool isButtonOptionSelected(int index) const = 0; // Option2: 0 left, 1 right, 2 middle
    virtual int scrollValue(int row) const = 0;               // HScroll1
    virtual int amountSwitch() const = 0;                     // Check1: 0 or 1
    virtual void setClickCountText(const QString& text) = 0;  // TimeLbl
    virtual QString startCaption() const = 0;                 // Command1
    virtual void setStartCaption(const QString& caption) = 0;
    virtual TickSource& timer(RunTimer which) = 0;
    virtual ClickTimer& clickTimer() = 0; // Timer1
    // Gives the main window the keyboard focus, where it can have it.
    virtual void focusMainWindow() = 0;
};

} // namespace tivrel
