// The benchmark's runs: Tivrel's clicks and xdotool's on the recorder, the stop after a
// pointer move, and the idle program. Each run is started, waited for and checked here.

#include "Measurements.h"

#include "ProgramRun.h"
#include "Waiting.h"

#include <QDir>
#include <QFile>
#include <QProcessEnvironment>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <unistd.h>

namespace tivrel::bench {

namespace {

namespace fs = std::filesystem;

// The threads of a process, living ones only.
int threadCount(pid_t pid) {
    std::error_code error;
    int count = 0;
    for (fs::directory_iterator it("/proc/" + std::to_string(pid) + "/task", error), end;
         !error && it != end; it.increment(error))
        ++count;
    return count;
}
using std::chrono::milliseconds;
using test::ChildProcess;

// Where the pointer rests on the target, and where it is moved to stop a run: still on the
// target, so that any click after the move would be recorded there too.
constexpr QPoint kRestingPoint = kTargetPlace.center();
constexpr QPoint kMovedPoint{kRestingPoint.x() + 37, kRestingPoint.y() + 23};
constexpr std::size_t kPressesBeforeMove = 200;
// Time for the recorder to receive the last events after the clicking program ended.
constexpr milliseconds kTailTime{250};

volatile std::sig_atomic_t g_interrupted = 0;

void throwIfInterrupted() {
    if (g_interrupted)
        throw Interrupted{};
}

// Waits until the child ends, at most timeout; false when it still runs.
bool waitForEnd(ChildProcess& child, milliseconds timeout) {
    return test::waitUntil(
        [&] {
            throwIfInterrupted();
            return child.hasEnded();
        },
        timeout, milliseconds(2));
}

void pause(milliseconds duration) {
    test::waitUntil(
        [] {
            throwIfInterrupted();
            return false;
        },
        duration, milliseconds(20));
}

bool succeeded(const ChildProcess& child) {
    return child.exitedNormally() && child.exitCode() == 0;
}

QStringList environmentWith(const test::TestSession& session,
                            const std::vector<std::pair<QString, QString>>& overrides) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    session.addTo(environment);
    for (const auto& [name, value] : overrides) {
        if (value.isEmpty())
            environment.remove(name);
        else
            environment.insert(name, value);
    }
    return environment.toStringList();
}

bool start(ChildProcess& child, const std::vector<std::string>& command,
           const QStringList& environment, const std::string& logPath, std::string* error) {
    QStringList arguments;
    for (const std::string& argument : command)
        arguments << QString::fromStdString(argument);
    const QString log = QString::fromStdString(logPath);
    QString why;
    if (child.start(arguments, environment, log, log, &why))
        return true;
    *error = why.toStdString();
    return false;
}

double mebibytesOfKilobytes(long kilobytes) {
    return double(kilobytes) / 1024;
}

std::string tail(const std::string& path, std::size_t lines) {
    std::ifstream in(path);
    std::vector<std::string> all;
    for (std::string line; std::getline(in, line);)
        all.push_back(line);
    std::string text;
    for (std::size_t i = all.size() > lines ? all.size() - lines : 0; i < all.size(); ++i)
        text += "    | " + all[i] + "\n";
    return text;
}

void dumpEvents(const Options& options, const std::string& name,
                const std::vector<PointerEvent>& events) {
    if (options.dumpFolder.empty())
        return;
    std::error_code ignored;
    fs::create_directories(options.dumpFolder, ignored);
    // bench/run.sh hands both of its passes the same folder: the hog pass's files keep apart.
    const std::string pass = options.hog ? "hog-" : "";
    std::ofstream out(options.dumpFolder + "/" + pass + name + ".csv");
    out << "kind,button,root_x,root_y,server_ms,received_ns\n";
    for (const PointerEvent& e : events) {
        const char* kind = e.kind == PointerEventKind::Press     ? "press"
                           : e.kind == PointerEventKind::Release ? "release"
                                                                 : "motion";
        out << kind << ',' << e.button << ',' << e.rootX << ',' << e.rootY << ',' << e.serverTime
            << ',' << e.receivedNs << '\n';
    }
}

} // namespace

void catchInterrupts() {
    struct sigaction action {};
    action.sa_handler = [](int) { g_interrupted = 1; };
    sigemptyset(&action.sa_mask);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaction(signal, &action, nullptr);
}

Measurements::Measurements(const Options& options, const std::string& folder,
                           test::TestSession& session, ClickRecorder& recorder,
                           test::RecorderWindow& target, test::OutsideInput& keyboard)
    : m_options(options), m_folder(folder), m_session(session), m_recorder(recorder),
      m_target(target), m_keyboard(keyboard) {}

std::string Measurements::folder(const std::string& name) const {
    const QString path = QString::fromStdString(m_folder + "/" + name);
    // Private, as XDG_RUNTIME_DIR must be.
    QDir().mkpath(path);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path.toStdString();
}

void Measurements::fail(int& failures, const std::string& label, int round,
                        const std::string& why) {
    ++failures;
    m_failed = true;
    std::printf("  run %d  %-14s FAILED: %s\n", round, label.c_str(), why.c_str());
    std::fflush(stdout);
}

std::size_t Measurements::landedOnTarget() {
    m_target.pump();
    const std::size_t landed = m_target.pressCount();
    m_targetPresses += landed;
    m_target.forget();
    return landed;
}

void Measurements::recordRow(RowRuns& row, const ClickFigures& f, double cpuPerClickUs,
                             double peakRssMiB, const std::string& label, int round) {
    row.clicks.push_back(f);
    row.cpuPerClickUs.push_back(cpuPerClickUs);
    row.peakRssMiB.push_back(peakRssMiB);
    std::printf("  run %d  %-14s %5zu clicks  %8.3f/s  rate %+7.3f %%  dev p50 %.3f p99 %.3f "
                "max %.3f ms  drift %+8.2f ms  %6.1f µs/click  %5.1f MiB\n",
                round, label.c_str(), f.clicks, f.clicksPerSecond, f.rateErrorPercent,
                f.deviationP50Ms, f.deviationP99Ms, f.deviationMaxMs, f.driftMs, cpuPerClickUs,
                peakRssMiB);
    std::fflush(stdout);
}

void Measurements::tivrelClicks(int delayMs, RowRuns& row, int round) {
    const std::string label = "tivrel " + std::to_string(delayMs) + " ms";
    const std::string tag = "tivrel-" + std::to_string(delayMs) + "-" + std::to_string(round);
    ProgramRun program(m_options.program, folder(tag), m_session);
    std::string error;
    if (!program.start(&error) || !program.setSpeed(delayMs, &error) ||
        !program.setAmount(m_options.clicks, &error))
        return fail(row.failures, label, round, error + "\n" + tail(program.logPath(), 10));
    if (program.mainWindow().intersects(kTargetPlace))
        return fail(row.failures, label, round, "the main window lies over the target");
    m_recorder.take();
    landedOnTarget();
    const double recorderWaitAtStart = m_recorder.runQueueWaitMs();
    const auto cpuAtStart = program.pressEnter(kRestingPoint, &error);
    if (!cpuAtStart)
        return fail(row.failures, label, round, error);
    const auto stop = program.waitForMessage(milliseconds(m_options.clicks * delayMs * 3 + 20000));
    pause(kTailTime);
    const std::vector<PointerEvent> events = m_recorder.take();
    dumpEvents(m_options, tag, events);
    const double recorderWaitMs = m_recorder.runQueueWaitMs() - recorderWaitAtStart;
    if (!stop)
        return fail(row.failures, label, round,
                    "no stop message; " + std::to_string(events.size()) + " events recorded\n" +
                        tail(program.logPath(), 10));
    const double runCpuMs = stop->cpuMs - *cpuAtStart;
    program.end();
    const ClickFigures figures = clickFigures(events, 1, delayMs);
    const bool byAmount =
        stop->line.text.contains(QStringLiteral("amount of clicks has been reached"));
    if (!byAmount || figures.clicks != std::size_t(m_options.clicks) ||
        landedOnTarget() != figures.clicks) {
        std::string why = std::to_string(figures.clicks);
        why += " recorded clicks, not all on the target; then \"";
        why += stop->line.title.toStdString();
        why += ": ";
        why += stop->line.text.toStdString();
        why += "\"";
        return fail(row.failures, label, round, why);
    }
    recordRow(row, figures, runCpuMs * 1000 / double(figures.clicks),
              mebibytesOfKilobytes(program.process().peakRssKiB()), label, round);
    std::printf("         %-14s recorder waited %.1f ms for a processor; load %s\n", "",
                recorderWaitMs, loadAverage().c_str());
    std::fflush(stdout);
}

void Measurements::commandClicks(const std::string& label, const std::string& tag,
                                 const std::vector<std::string>& command, int delayMs, RowRuns& row,
                                 int round) {
    const std::string logPath = m_folder + "/" + tag + ".log";
    m_session.movePointer(kRestingPoint);
    m_recorder.take();
    landedOnTarget();
    ChildProcess clicker;
    std::string error;
    if (!start(clicker, command, environmentWith(m_session, {}), logPath, &error))
        return fail(row.failures, label, round, error);
    if (!waitForEnd(clicker, milliseconds(m_options.clicks * (delayMs + 5) * 3 + 10000)))
        return fail(row.failures, label, round, "did not end in time");
    pause(kTailTime);
    const std::vector<PointerEvent> events = m_recorder.take();
    dumpEvents(m_options, tag, events);
    if (!succeeded(clicker))
        return fail(row.failures, label, round,
                    clicker.describeEnd().toStdString() + "\n" + tail(logPath, 10));
    const ClickFigures figures = clickFigures(events, 1, delayMs);
    const std::size_t landed = landedOnTarget();
    if (figures.clicks != std::size_t(m_options.clicks) || landed != figures.clicks)
        return fail(row.failures, label, round,
                    std::to_string(figures.clicks) + " clicks recorded, " + std::to_string(landed) +
                        " on the target");
    // The run is the command's whole life: its start-up counts too.
    recordRow(row, figures, clicker.cpuMicroseconds() / double(figures.clicks),
              mebibytesOfKilobytes(clicker.peakRssKiB()), label, round);
}

void Measurements::stopAfterMove(StopRuns& runs, int round) {
    const std::string label = "stop on move";
    const std::string tag = "stop-" + std::to_string(round);
    ProgramRun program(m_options.program, folder(tag), m_session);
    std::string error;
    if (!program.start(&error) || !program.setSpeed(5, &error))
        return fail(runs.failures, label, round, error + "\n" + tail(program.logPath(), 10));
    m_recorder.take();
    if (!program.pressEnter(kRestingPoint, &error))
        return fail(runs.failures, label, round, error);
    if (!m_recorder.waitForPresses(kPressesBeforeMove, milliseconds(30000)))
        return fail(runs.failures, label, round,
                    "only " + std::to_string(m_recorder.presses()) + " clicks in 30 s");
    const pid_t pid = program.process().pid();
    const int threadsRunning = threadCount(pid);
    m_session.movePointer(kMovedPoint);
    const std::int64_t movedNs = monotonicNow();
    // The click thread ends as it sees the move: its task leaves /proc. Looked for before
    // the message, whose moment the dialog log's own thread takes.
    std::int64_t threadEndedNs = -1;
    while (monotonicNow() - movedNs < 1'000'000'000) {
        if (threadCount(pid) < threadsRunning) {
            threadEndedNs = monotonicNow();
            break;
        }
        ::usleep(20);
    }
    const auto stop = program.waitForMessage(milliseconds(10000));
    pause(kTailTime);
    const std::vector<PointerEvent> events = m_recorder.take();
    dumpEvents(m_options, tag, events);
    program.end();
    if (!stop)
        return fail(runs.failures, label, round, "the run went on after the move");
    if (!stop->line.text.contains(QStringLiteral("The mouse was moved.")))
        return fail(runs.failures, label, round,
                    "stopped by \"" + stop->line.text.toStdString() + "\"");
    // The server's order tells which clicks it processed after the move.
    auto move = std::find_if(events.begin(), events.end(), [](const PointerEvent& e) {
        return e.kind == PointerEventKind::Motion && e.rootX == kMovedPoint.x() &&
               e.rootY == kMovedPoint.y();
    });
    if (move == events.end())
        return fail(runs.failures, label, round, "the move was not recorded");
    if (threadEndedNs < 0)
        return fail(runs.failures, label, round, "the click thread went on after the move");
    const auto isPress = [](const PointerEvent& e) { return e.kind == PointerEventKind::Press; };
    const double after = double(std::count_if(move, events.end(), isPress));
    const double receivedAfter =
        double(std::count_if(events.begin(), events.end(), [&](const PointerEvent& e) {
            return isPress(e) && e.receivedNs > movedNs;
        }));
    const double before = double(std::count_if(events.begin(), move, isPress));
    const double latencyMs = double(stop->seenNs - movedNs) / 1e6;
    runs.latencyMs.push_back(latencyMs);
    runs.clicksAfterMove.push_back(after);
    runs.clicksReceivedAfterMove.push_back(receivedAfter);
    const double threadIdleMs = double(threadEndedNs - movedNs) / 1e6;
    runs.threadIdleMs.push_back(threadIdleMs);
    std::printf("  run %d  %-14s %5.0f clicks before the move, %.0f after it (%.0f received "
                "after it), click thread ended %.3f ms and stop message %.3f ms after the move\n",
                round, label.c_str(), before, after, receivedAfter, threadIdleMs, latencyMs);
    std::fflush(stdout);
}

void Measurements::startStopKey(KeyRuns& runs, int round) {
    const std::string label = "start/stop key";
    const std::string tag = "key-" + std::to_string(round);
    ProgramRun program(m_options.program, folder(tag), m_session);
    std::string error;
    if (!program.start(&error) || !program.setSpeed(5, &error))
        return fail(runs.failures, label, round, error + "\n" + tail(program.logPath(), 10));
    m_session.movePointer(kRestingPoint);
    program.skipBoxesSoFar();
    m_recorder.take();
    const std::int64_t startNs = monotonicNow();
    if (!m_keyboard.tapKey("F6"))
        return fail(runs.failures, label, round, "the keyboard has no F6");
    if (!m_recorder.waitForPresses(kPressesBeforeMove, milliseconds(30000)))
        return fail(runs.failures, label, round,
                    "only " + std::to_string(m_recorder.presses()) + " clicks in 30 s");
    const std::vector<PointerEvent> started = m_recorder.take();
    const auto first = std::find_if(started.begin(), started.end(), [](const PointerEvent& e) {
        return e.kind == PointerEventKind::Press;
    });
    const std::int64_t stopNs = monotonicNow();
    m_keyboard.tapKey("F6");
    const auto stop = program.waitForMessage(milliseconds(10000));
    program.end();
    if (!stop)
        return fail(runs.failures, label, round, "the run went on after the second press");
    if (!stop->line.text.startsWith(QStringLiteral("The enter key was pressed.")))
        return fail(runs.failures, label, round,
                    "stopped by \"" + stop->line.text.toStdString() + "\"");
    const double firstMs = double(first->receivedNs - startNs) / 1e6;
    const double stopMs = double(stop->seenNs - stopNs) / 1e6;
    runs.firstClickMs.push_back(firstMs);
    runs.stopMs.push_back(stopMs);
    std::printf("  run %d  %-14s first click %.3f ms after the press, stop message %.3f ms "
                "after the second\n",
                round, label.c_str(), firstMs, stopMs);
    std::fflush(stdout);
}

void Measurements::idle(IdleRuns& runs, int round) {
    const std::string label = "idle program";
    const std::string name = "idle-" + std::to_string(round);
    ProgramRun program(m_options.program, folder(name), m_session);
    std::string error;
    if (!program.start(&error))
        return fail(runs.failures, label, round, error + "\n" + tail(program.logPath(), 10));
    const pid_t pid = pid_t(program.process().pid());
    pause(milliseconds(m_options.idleSettleSeconds * 1000));
    const auto first = sampleProcess(pid);
    pause(milliseconds(m_options.idleSeconds * 1000));
    const auto second = sampleProcess(pid);
    if (program.process().hasEnded())
        return fail(
            runs.failures, label, round,
            "the program ended by itself: " + program.process().describeEnd().toStdString() + "\n" +
                tail(program.logPath(), 10));
    program.end();
    if (!first || !second)
        return fail(runs.failures, label, round, "cannot read /proc of the program");
    runs.statCpuMs.push_back(second->statCpuMs - first->statCpuMs);
    runs.scheduledCpuMs.push_back(second->scheduledCpuMs - first->scheduledCpuMs);
    runs.wakeups.push_back(second->contextSwitches - first->contextSwitches);
    std::printf("  run %d  %-14s %.0f ms CPU over %d s (scheduler: %.3f ms, %.0f context "
                "switches); ended with %s after SIGTERM\n",
                round, label.c_str(), runs.statCpuMs.back(), m_options.idleSeconds,
                runs.scheduledCpuMs.back(), runs.wakeups.back(),
                program.process().describeEnd().toStdString().c_str());
    std::fflush(stdout);
}

Results Measurements::run() {
    Results results;
    auto& rows = results.rows;
    StopRuns& stops = results.stops;
    IdleRuns& idles = results.idles;
    for (int round = 1; round <= m_options.runs; ++round) {
        for (const int delay : {5, 10}) {
            // Appended piece by piece: GCC 12 at -O3 warns falsely (-Wrestrict) about the
            // temporaries of " " + std::to_string(delay) + " ms".
            std::string suffix = " ";
            suffix += std::to_string(delay);
            suffix += " ms";
            const std::string tag = std::to_string(delay) + "-" + std::to_string(round);
            const std::string clicks = std::to_string(m_options.clicks);
            tivrelClicks(delay, rows["tivrel" + suffix], round);
            commandClicks(
                "xdotool" + suffix, "xdotool-" + tag,
                {"xdotool", "click", "--repeat", clicks, "--delay", std::to_string(delay), "1"},
                delay, rows["xdotool" + suffix], round);
            commandClicks("reference" + suffix, "reference-" + tag,
                          {TIVREL_REFERENCE_PATH, std::to_string(delay), clicks}, delay,
                          rows["reference" + suffix], round);
        }
        stopAfterMove(stops, round);
        startStopKey(results.keys, round);
    }
    for (int round = 1; round <= m_options.runs; ++round)
        idle(idles, round);
    return results;
}

} // namespace tivrel::bench
