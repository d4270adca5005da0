#pragma once

#include "ChildProcess.h"
#include "DialogLog.h"
#include "ProgramDriver.h"
#include "ProgramHome.h"

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
class TestSession;
}

namespace tivrel::bench {

// What /proc tells of a process's CPU time.
struct ProcessSample {
    double statCpuMs = 0;       // utime + stime of all its threads, dead ones too (10 ms steps)
    double scheduledCpuMs = 0;  // run time of its living threads, from schedstat
    double contextSwitches = 0; // of its living threads
};
std::optional<ProcessSample> sampleProcess(pid_t pid);

// One box the program opened, as its dialog log told, with the moment the line appeared and
// the program's CPU time then.
struct SeenDialog {
    test::DialogLine line;
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

    std::vector<SeenDialog> lines() const;
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
    std::vector<SeenDialog> m_lines;
};

// The real `tivrel` program as a user starts it, through the program's driver: its own process
// in a private home whose settings accept the terms and show the window, the shell, the tray
// icon in the session's tray host, the real message and input boxes. It is driven only from
// outside, as a user would: the speed and the amount typed into the boxes the value labels
// open, ENTER with the pointer on the target. Its dialog log is watched for the timing.
class ProgramRun {
public:
    ProgramRun(const std::string& program, const std::string& home, test::TestSession& session);
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
    // The boxes asked for so far are the settings': waitForMessage looks at later ones only.
    void skipBoxesSoFar() { m_linesSeen = m_dialogs.lines().size(); }
    // The next message box, once asked for: the stop message of a run.
    std::optional<SeenDialog> waitForMessage(std::chrono::milliseconds timeout);
    // Ends the program with SIGTERM (as a session's end would) and waits for it.
    void end();

    test::ChildProcess& process() { return m_driver.process(); }
    const QRect& mainWindow() const { return m_mainWindow; }
    // Where the program's standard error went.
    std::string logPath() const { return m_driver.errorFile().toStdString(); }

private:
    test::ProgramHome m_home;
    test::ProgramDriver m_driver;
    DialogLogWatch m_dialogs;
    QRect m_mainWindow;
    std::size_t m_linesSeen = 0;
};

} // namespace tivrel::bench
