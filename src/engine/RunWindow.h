#pragma once

#include "engine/MouseStuff.h"

#include <QString>
#include <QtGlobal>

namespace tivrel {

class ClickTimer;
class TickSource;

// The rows of the value scroll bars and their labels, by scroll bar index.
enum ValueRow : int { MinutesRow = 0, SecondsRow = 1, AmountRow = 2, SpeedRow = 3, HoursRow = 4 };
constexpr int kValueRows = 5;

// The timers of the UI thread; the fast click timer Timer1 is a ClickTimer of its own.
enum class RunTimer { Timer2, Timer3 };

// A run's choices as the window holds them, in one value: the numbers as the scroll bars hold
// them (their labels always show the same), whatever was typed to get there.
struct RunChoices {
    bool fast = true;     // Option1: "Fast Delay", else "Slow Delay"
    int intervalMs = 100; // the fast delay
    int hours = 0;        // the slow period
    int minutes = 0;
    int seconds = 0;
    int buttonCode = LeftButton; // Option2
    bool amountOn = false;       // Check1
    int amount = 1;

    qint64 slowPeriodSeconds() const {
        return qint64(hours) * 3600 + qint64(minutes) * 60 + seconds;
    }
};

// What the click run reads and writes of the main window: the choices, the click count
// shown, the start button's caption, the three timers and the focus.
class RunWindow {
public:
    virtual ~RunWindow() = default;
    virtual RunChoices choices() const = 0;
    virtual void setClickCountText(const QString& text) = 0; // TimeLbl
    virtual QString startCaption() const = 0;                // Command1
    virtual void setStartCaption(const QString& caption) = 0;
    virtual TickSource& timer(RunTimer which) = 0;
    virtual ClickTimer& clickTimer() = 0; // Timer1
    // Gives the main window the keyboard focus, where it can have it.
    virtual void focusMainWindow() = 0;
};

} // namespace tivrel
