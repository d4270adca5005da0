#pragma once

#include "ChildProcess.h"

#include <QByteArray>
#include <QPoint>
#include <QRect>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <sys/types.h>
#include <thread>
#include <vector>

namespace tivrel::test {
class OutsideInput;
}

namespace tivrel::bench {

// What /proc tells of a process's CPU time.
struct ProcessSample {
    double statCpuMs = 0;       // utime + stime of all its threads, dead ones too (10 ms steps)
    double scheduledCpuMs = 0;  // run time of its living threads, from schedstat
    double contextSwitches = 0; // of its living threads
};
std::optional<ProcessSample> sampleProcess(pid_t pid);

// One box the program opened, as its dialog log told: the moment the line appeared and the
// program's CPU time then.
struct DialogLine {
    std::string kind; // "message" or "input"
    std::string title;
    std::string text;
    std::int64_t seenNs = 0;
    double cpuMs = 0;
};

// Watches the program's dialog log (TIVREL_DIALOG_LOG) with inotify from a real-time thread,
// so that the moment a box is asked for is known to within microseconds however busy the
// machine is, and the program's CPU time is read at that moment.
class DialogLogWatch {
public:
    DialogLogWatch() = default;
    ~DialogLogWatch();
    DialogLogWatch(const DialogLogWatch&) = delete;
    DialogLogWatch& operator=(const DialogLogWatch&) = delete;

    bool start(const std::string& file, std::string* error);
    void stop();
    // Whose CPU time to read as each line appears.
    void setProcess(pid_t pid) { m_pid = pid; }

    std::vector<DialogLine> lines() const;
    // Waits until at least `count` lines are there; the count reached.
    std::size_t waitForLines(std::size_t count, std::chrono::milliseconds timeout);

private:
    void readLoop();
    void readNewLines(std::int64_t now);

    std::string m_file;
    std::string m_name;
    int m_inotify = -1;
    std::thread m_thread;
    std::atomic<bool> m_stopping{false};
    std::atomic<pid_t> m_pid{0};
    std::size_t m_offset = 0;
    std::string m_partial;
    mutable std::mutex m_mutex;
    std::condition_variable m_added;
    std::vector<DialogLine> m_lines;
};

// The real `tivrel` program as a user starts it: its own process in a private home whose
// settings accept the terms and show the window, the shell, the tray icon in the session's
// tray host, the real message and input boxes. It is driven only from outside, as a user
// would: the speed and the amount typed into the boxes the value labels open, ENTER with the
// pointer on the target.
class ProgramRun {
public:
    ProgramRun(const std::string& program, const std::string& home, const QByteArray& display,
               test::OutsideInput& input);
    ~ProgramRun();
    ProgramRun(const ProgramRun&) = delete;
    ProgramRun& operator=(const ProgramRun&) = delete;

    // Starts the program and waits for its main window and its tray icon.
    bool start(std::string* error);
    // The run's settings through the window: the interval in milliseconds, and the amount
    // (0 leaves "Amount" unticked).
    bool setSpeed(int milliseconds, std::string* error);
    bool setAmount(int clicks, std::string* error);
    // Activates the main window, puts the pointer at `target` and presses ENTER. Gives the
    // program's CPU time in ms just before the key.
    std::optional<double> pressEnter(QPoint target, std::string* error);
    // The next message box, once asked for: the stop message of a run.
    std::optional<DialogLine> waitForMessage(std::chrono::milliseconds timeout);
    // Ends the program with SIGTERM (as a session's end would) and waits for it.
    void end();

    test::ChildProcess& process() { return m_process; }
    const QRect& mainWindow() const { return m_mainWindow; }
    std::string logPath() const { return m_home + "/tivrel.log"; }

private:
    bool clickAt(QPoint place);
    // Clicks a value label; true once the box it opens was asked for.
    bool openValueBox(QPoint label);
    // Types the value into the open box and closes it; true when the program took it.
    bool typeValue(int value, std::string* error);
    bool activate(unsigned long window);
    QPoint onWindow(int x, int y) const;

    std::string m_program;
    std::string m_home;
    QByteArray m_display;
    test::OutsideInput& m_input;
    test::ChildProcess m_process;
    DialogLogWatch m_dialogs;
    unsigned long m_mainWindowId = 0;
    QRect m_mainWindow;
    std::size_t m_linesSeen = 0;
};

} // namespace tivrel::bench
