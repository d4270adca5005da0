#pragma once

#include "ChildProcess.h"
#include "ClickRecorder.h"
#include "RecorderWindow.h"
#include "Report.h"
#include "TestSession.h"

#include <QRect>

#include <string>
#include <vector>

namespace tivrel::bench {

struct Options {
    int runs = 3;
    int clicks = 2000;
    int idleSeconds = 10;
    int idleSettleSeconds = 2;
    bool hog = false;       // a busy loop on each processor while everything is measured
    std::string program;    // the tivrel program measured
    std::string dumpFolder; // where each run's recorded events go, if anywhere
};

// Thrown by every wait once SIGINT, SIGTERM or SIGHUP has asked the benchmark to end, so that
// what it started is cleaned up on the way out.
struct Interrupted {};
void catchInterrupts();

// The window the clicks land on, clear of the main window at the top left.
inline constexpr QRect kTargetPlace{860, 620, 360, 360};

// The runs themselves, on a display with a window manager, the recorder listening and the
// target window in place: each one started, waited for and checked, with a line per run.
class Measurements {
public:
    // `keyboard` presses the start/stop key as the user's keyboard does, with no process
    // started in between.
    Measurements(const Options& options, const std::string& folder, test::TestSession& session,
                 ClickRecorder& recorder, test::RecorderWindow& target,
                 test::OutsideInput& keyboard);

    Results run();
    bool anyFailure() const { return m_failed; }
    // Presses the target window received in all runs.
    std::size_t targetPresses() const { return m_targetPresses; }

private:
    void tivrelClicks(int delayMs, RowRuns& row, int round);
    // A clicker that is a whole command (xdotool, the reference): its run is its life.
    void commandClicks(const std::string& label, const std::string& tag,
                       const std::vector<std::string>& command, int delayMs, RowRuns& row,
                       int round);
    void stopAfterMove(StopRuns& runs, int round);
    void startStopKey(KeyRuns& runs, int round);
    void idle(IdleRuns& runs, int round);
    void recordRow(RowRuns& row, const ClickFigures& figures, double cpuPerClickUs,
                   double peakRssMiB, const std::string& label, int round);
    // Presses received by the target window since the previous call.
    std::size_t landedOnTarget();
    void fail(int& failures, const std::string& label, int round, const std::string& why);
    std::string folder(const std::string& name) const;

    const Options& m_options;
    std::string m_folder;
    test::TestSession& m_session;
    ClickRecorder& m_recorder;
    test::RecorderWindow& m_target;
    test::OutsideInput& m_keyboard;
    bool m_failed = false;
    std::size_t m_targetPresses = 0;
};

} // namespace tivrel::bench
