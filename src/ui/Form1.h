#pragma once

#include "ui/ClickCountLabel.h"

#include <QMainWindow>

#include <array>
#include <functional>
#include <memory>

class QAction;
class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QMenu;
class QPushButton;
class QRadioButton;
class QScrollBar;

namespace tivrel {

class ClickRun;
class ClickTimer;
class Form1RunView;
class TickSource;
class ClickableLabel;
struct Platform;

// The main window. It owns the controls, timers and menus under their own names and hands
// each event to the code that owns it; the click run lives in the engine.
class Form1 final : public QMainWindow {
    Q_OBJECT
public:
    explicit Form1(Platform& platform, QWidget* parent = nullptr);
    ~Form1() override;

    // The values every start begins with: the slow-mode rows off, the amount 1, the speed 100.
    void setStartingValues();

    // Events of the window's controls.
    void Command1_Click();
    void Timer2_Timer();
    void Timer3_Timer();
    void HScroll1_Change(int index);
    void Option1_Click(int index);
    void Option2_Click(int index);
    void Check1_Click();
    void valueLabelClick(int row);
    void InputValue(QLabel& label, int minimum, int maximum, QScrollBar& bar);

    // Shows a click count of 0 while no run goes on; during a run only the run sets the count.
    void resetClickCount();

    // Decides on every request to close the window; without one the window closes.
    void setCloseHandler(std::function<void(QCloseEvent&)> handler) {
        m_closeHandler = std::move(handler);
    }

    ClickRun& engine() { return *m_run; }
    ClickableLabel* valueLabel(int row) const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // The views the run and the shell see the window through work on the controls directly.
    friend class Form1RunView;
    friend class Form1ShellView;

    // The controls, by the names the rest of the program knows them by. Each widget, menu and
    // menu item has its name as its object name too (an array's elements "HScroll1_0", ...),
    // which is how the tests and the picture generator find them.
    QGroupBox* Frame1 = nullptr;     // "Button Configuration"
    QGroupBox* Frame2 = nullptr;     // "Speed"
    QGroupBox* Frame3 = nullptr;     // holds the start button
    QPushButton* Command1 = nullptr; // "&Press ENTER to Start", "&Move MOUSE to Stop" in a run
    std::array<QRadioButton*, 2> Option1{}; // 0 "Slow Delay", 1 "Fast Delay"
    std::array<QRadioButton*, 3> Option2{}; // 0 "Left", 1 "Right", 2 "Middle"
    QCheckBox* Check1 = nullptr;           // "Amount": stop after the number of clicks in AmountLbl
    std::array<QScrollBar*, 5> HScroll1{}; // minutes, seconds, amount, speed, hours
    std::array<QLabel*, 5> Label1{};       // captions of the value rows, same indices
    std::array<QLabel*, 1> Label2{};       // "Total Clicks:"
    ClickableLabel* MinLbl = nullptr;      // the value of "Minutes"
    ClickableLabel* SecLbl = nullptr;      // the value of "Seconds"
    ClickableLabel* AmountLbl = nullptr;   // the value of "Clicks"
    ClickableLabel* SpeedLbl = nullptr;    // the value of "th / Sec."
    ClickableLabel* HoursLbl = nullptr;    // the value of "Hours"
    ClickCountLabel* TimeLbl = nullptr;    // the click count
    QFrame* Line1 = nullptr;               // the rule between the slow delay's rows and "Clicks"
    std::unique_ptr<ClickTimer> Timer1;    // fast clicks, on a thread of its own
    std::unique_ptr<TickSource> Timer2;    // slow mode clock
    std::unique_ptr<TickSource> Timer3;    // mouse watch

    QMenu* optioinsmnu = nullptr;            // "&File", also the tray icon's menu
    QAction* Showmnu = nullptr;              // "Show", only while the window is hidden
    QAction* bar3 = nullptr;                 // separator below "Show", shown with it
    QAction* Startupatlogonmnu = nullptr;    // "Place shortcut in startup" or "Remove ..."
    QAction* bar5 = nullptr;                 // separator above "Hide on startup"
    QAction* AutoHideonstartupmnu = nullptr; // "Hide on startup" or "Show on startup"
    QAction* StartStopKeymnu = nullptr;      // "Start/Stop Key: F6...": chooses the key
    QAction* bar6 = nullptr;                 // separator above "Exit"
    QAction* Exitmnu = nullptr;              // "Exit"
    QAction* Helpmnu = nullptr;              // "H&elp" on the menu bar
    QAction* Aboutmnu = nullptr;             // "&About" on the menu bar
    QAction* Show2mnu = nullptr;             // "&Hide" on the menu bar

    void createWindow();
    void createSpeedFrame();
    void createButtonFrame();
    void createStartFrame();
    void createMenus();
    void createTimers();
    void setTabOrder();
    void connectEvents();

    Platform& m_platform;
    std::unique_ptr<Form1RunView> m_runView;
    std::unique_ptr<ClickRun> m_run;
    std::function<void(QCloseEvent&)> m_closeHandler;
};

} // namespace tivrel
