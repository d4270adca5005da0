// tivrel-bench: how fast, how regular and how cheap Tivrel's clicks are, next to xdotool's,
// measured on a virtual X server of its own. See bench/README.md.

#include "ClickRecorder.h"
#include "EngineRun.h"
#include "Figures.h"
#include "Processes.h"
#include "XSession.h"

#include <X11/Xlib.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace tivrel::bench {

namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;

// The goals the figures are held against.
constexpr double kGoalRateErrorPercent = 0.05;
constexpr double kGoalP99DeviationMs = 0.4;
constexpr double kGoalCpuPerClickUs = 150;
constexpr double kGoalPeakRssMiB = 60;
constexpr double kGoalStopLatencyMs = 20;

// The window the clicks land on, and where the pointer rests on it.
constexpr int kTargetX = 860;
constexpr int kTargetY = 620;
constexpr int kTargetSize = 360;
constexpr Point kRestingPoint{kTargetX + kTargetSize / 2, kTargetY + kTargetSize / 2};
// Where the pointer is moved to stop a run: still on the target, so that any click after
// the move would be recorded there too.
constexpr Point kMovedPoint{kRestingPoint.x + 37, kRestingPoint.y + 23};
constexpr std::size_t kPressesBeforeMove = 200;
// Time for the recorder to receive the last events after the clicking program ended.
constexpr milliseconds kTailTime{250};

struct Options {
    int runs = 3;
    int clicks = 2000;
    int idleSeconds = 10;
    int idleSettleSeconds = 2;
    std::string program = TIVREL_PROGRAM_PATH;
    std::string dumpFolder; // where each run's recorded events go, if anywhere
};

void usage(const char* self) {
    std::printf("usage: %s [--runs N] [--clicks N] [--idle-seconds N] [--program PATH]\n"
                "          [--dump FOLDER]\n"
                "\n"
                "Starts its own Xvfb and openbox, then measures Tivrel's clicks (the real main\n"
                "window and backends) and xdotool's at 5 ms and 10 ms, the stop after a pointer\n"
                "move, and the idle CPU time of the program. Each figure is the median of N runs\n"
                "(default 3). --dump writes every event recorded in each run to FOLDER as CSV.\n",
                self);
}

bool parseOptions(int argc, char** argv, Options* options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto number = [&](int* into, int minimum) {
            if (i + 1 >= argc)
                return false;
            char* end = nullptr;
            const long value = std::strtol(argv[++i], &end, 10);
            if (*end != '\0' || value < minimum || value > 1000000)
                return false;
            *into = int(value);
            return true;
        };
        bool ok = true;
        if (arg == "--runs")
            ok = number(&options->runs, 1);
        else if (arg == "--clicks")
            ok = number(&options->clicks, 2);
        else if (arg == "--idle-seconds")
            ok = number(&options->idleSeconds, 1);
        else if (arg == "--program" && i + 1 < argc)
            options->program = argv[++i];
        else if (arg == "--dump" && i + 1 < argc)
            options->dumpFolder = argv[++i];
        else
            ok = false;
        if (!ok) {
            usage(argv[0]);
            return false;
        }
    }
    return true;
}

std::string selfPath() {
    std::error_code error;
    const fs::path path = fs::read_symlink("/proc/self/exe", error);
    return error ? std::string() : path.string();
}

// A private folder for logs, settings and results; removed at the end.
class TempFolder {
public:
    TempFolder() {
        std::string pattern = (fs::temp_directory_path() / "tivrel-bench.XXXXXX").string();
        if (::mkdtemp(pattern.data()))
            m_path = pattern;
    }
    ~TempFolder() {
        if (!m_path.empty() && !keep) {
            std::error_code ignored;
            fs::remove_all(m_path, ignored);
        }
    }
    const std::string& path() const { return m_path; }
    std::string make(const std::string& name) const {
        const std::string folder = m_path + "/" + name;
        fs::create_directories(folder);
        ::chmod(folder.c_str(), 0700);
        return folder;
    }
    bool keep = false;

private:
    std::string m_path;
};

// Ends a started program when leaving the scope it was started in, unless it was collected.
class Running {
public:
    Running(pid_t pid, int signal) : m_pid(pid), m_signal(signal) {}
    ~Running() { end(); }
    Running(const Running&) = delete;
    Running& operator=(const Running&) = delete;
    pid_t pid() const { return m_pid; }
    void collected() { m_pid = -1; }
    Finished end() {
        Finished finished{-1, {}};
        if (m_pid > 0)
            finished = endProcess(m_pid, m_signal, std::chrono::seconds(3));
        m_pid = -1;
        return finished;
    }

private:
    pid_t m_pid;
    int m_signal;
};

double cpuMicroseconds(const rusage& usage) {
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e6 +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec);
}

double mebibytesOfKilobytes(long kilobytes) {
    return double(kilobytes) / 1024;
}

// One row of the table: the figures of each run.
struct RowRuns {
    std::vector<ClickFigures> clicks;
    std::vector<double> cpuPerClickUs;
    std::vector<double> peakRssMiB;
    int failures = 0;
};

struct StopRuns {
    std::vector<double> latencyMs;
    std::vector<double> clicksAfterMove;         // in the server's order of events
    std::vector<double> clicksReceivedAfterMove; // by the recorder's clock
    int failures = 0;
};

struct IdleRuns {
    std::vector<double> statCpuMs;      // utime + stime from /proc/PID/stat
    std::vector<double> scheduledCpuMs; // run time of all threads from schedstat
    std::vector<double> wakeups;        // context switches of all threads
    int failures = 0;
};

struct ProcessSample {
    double statCpuMs = 0;
    double scheduledCpuMs = 0;
    double contextSwitches = 0;
};

std::optional<ProcessSample> sampleProcess(pid_t pid) {
    const std::string base = "/proc/" + std::to_string(pid);
    std::ifstream statFile(base + "/stat");
    std::string stat;
    if (!std::getline(statFile, stat))
        return std::nullopt;
    // The fields after the command name (which may hold spaces) start with the state (3rd).
    const std::size_t close = stat.rfind(')');
    if (close == std::string::npos)
        return std::nullopt;
    std::istringstream fields(stat.substr(close + 2));
    std::vector<std::string> values;
    for (std::string value; fields >> value;)
        values.push_back(value);
    if (values.size() < 13)
        return std::nullopt;
    const double ticksPerSecond = double(::sysconf(_SC_CLK_TCK));
    ProcessSample sample;
    // utime and stime are fields 14 and 15, here 11 and 12 counted from the state.
    sample.statCpuMs = (std::stod(values[11]) + std::stod(values[12])) * 1000 / ticksPerSecond;
    std::error_code error;
    for (const auto& task : fs::directory_iterator(base + "/task", error)) {
        std::ifstream schedstat(task.path() / "schedstat");
        double runNs = 0;
        if (schedstat >> runNs)
            sample.scheduledCpuMs += runNs / 1e6;
        std::ifstream status(task.path() / "status");
        for (std::string line; std::getline(status, line);) {
            if (line.rfind("voluntary_ctxt_switches:", 0) == 0 ||
                line.rfind("nonvoluntary_ctxt_switches:", 0) == 0)
                sample.contextSwitches += std::stod(line.substr(line.find(':') + 1));
        }
    }
    return sample;
}

std::string loadAverage() {
    std::ifstream in("/proc/loadavg");
    std::string a, b, c;
    in >> a >> b >> c;
    return a + " " + b + " " + c;
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
    std::ofstream out(options.dumpFolder + "/" + name + ".csv");
    out << "kind,button,root_x,root_y,server_ms,received_ns\n";
    for (const PointerEvent& e : events) {
        const char* kind = e.kind == PointerEventKind::Press     ? "press"
                           : e.kind == PointerEventKind::Release ? "release"
                                                                 : "motion";
        out << kind << ',' << e.button << ',' << e.rootX << ',' << e.rootY << ',' << e.serverTime
            << ',' << e.receivedNs << '\n';
    }
}

class Benchmark {
public:
    Benchmark(const Options& options, TempFolder& temp, XSession& session, ClickRecorder& recorder,
              Desk& desk, TargetWindow& target)
        : m_options(options), m_temp(temp), m_session(session), m_recorder(recorder), m_desk(desk),
          m_target(target), m_self(selfPath()) {}

    void run();
    bool anyFailure() const { return m_failed; }

private:
    void tivrelClicks(int delayMs, RowRuns& row, int round);
    void xdotoolClicks(int delayMs, RowRuns& row, int round);
    void stopAfterMove(StopRuns& runs, int round);
    void idle(IdleRuns& runs, int round);
    pid_t startEngine(int delayMs, int amount, const std::string& resultPath, int limitMs,
                      const std::string& logPath);
    void recordRow(RowRuns& row, const ClickFigures& figures, double cpuPerClickUs,
                   double peakRssMiB, const std::string& label, int round);
    // Presses received by the target window since the previous call.
    std::size_t landedOnTarget();
    void fail(int& failures, const std::string& label, int round, const std::string& why);
    void printTable(const std::map<std::string, RowRuns>& rows, const StopRuns& stops,
                    const IdleRuns& idles) const;

    const Options& m_options;
    TempFolder& m_temp;
    XSession& m_session;
    ClickRecorder& m_recorder;
    Desk& m_desk;
    TargetWindow& m_target;
    std::string m_self;
    bool m_failed = false;
    std::size_t m_targetPresses = 0;
};

void Benchmark::fail(int& failures, const std::string& label, int round, const std::string& why) {
    ++failures;
    m_failed = true;
    std::printf("  run %d  %-14s FAILED: %s\n", round, label.c_str(), why.c_str());
    std::fflush(stdout);
}

std::size_t Benchmark::landedOnTarget() {
    const std::size_t now = m_target.presses();
    const std::size_t landed = now - m_targetPresses;
    m_targetPresses = now;
    return landed;
}

void Benchmark::recordRow(RowRuns& row, const ClickFigures& f, double cpuPerClickUs,
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

pid_t Benchmark::startEngine(int delayMs, int amount, const std::string& resultPath, int limitMs,
                             const std::string& logPath) {
    const std::string home = m_temp.make("engine");
    const std::string runtime = m_temp.make("engine/runtime");
    const std::string config = m_temp.make("engine/xdg");
    SpawnOptions options;
    options.argv = {
        m_self,     kEngineRunCommand,      std::to_string(delayMs), std::to_string(amount),
        resultPath, std::to_string(limitMs)};
    options.environment =
        environmentWith({"DISPLAY=" + m_session.display(), "QT_QPA_PLATFORM=xcb",
                         "TIVREL_SETTINGS_FILE=" + home + "/Tivrel.ini",
                         "XDG_RUNTIME_DIR=" + runtime, "XDG_CONFIG_DIRS=" + config});
    options.logPath = logPath;
    options.deathSignal = SIGKILL;
    std::string error;
    const pid_t pid = spawn(options, &error);
    if (pid < 0)
        std::printf("  cannot start the click run: %s\n", error.c_str());
    return pid;
}

void Benchmark::tivrelClicks(int delayMs, RowRuns& row, int round) {
    const std::string label = "tivrel " + std::to_string(delayMs) + " ms";
    const std::string tag = "tivrel-" + std::to_string(delayMs) + "-" + std::to_string(round);
    const std::string resultPath = m_temp.path() + "/" + tag + ".result";
    const std::string logPath = m_temp.path() + "/" + tag + ".log";
    m_desk.movePointer(kRestingPoint);
    m_recorder.take();
    landedOnTarget();
    const double recorderWaitAtStart = m_recorder.runQueueWaitMs();
    const int limitMs = m_options.clicks * delayMs * 3 + 10000;
    Running engine(startEngine(delayMs, m_options.clicks, resultPath, limitMs, logPath), SIGKILL);
    if (engine.pid() < 0)
        return fail(row.failures, label, round, "not started");
    const auto finished = waitExit(engine.pid(), milliseconds(limitMs + 20000));
    if (!finished)
        return fail(row.failures, label, round, "did not end in time");
    engine.collected();
    sleepFor(kTailTime);
    const std::vector<PointerEvent> events = m_recorder.take();
    dumpEvents(m_options, tag, events);
    const double recorderWaitMs = m_recorder.runQueueWaitMs() - recorderWaitAtStart;
    const auto result = readEngineResult(resultPath);
    if (!result || finished->status != 0)
        return fail(row.failures, label, round,
                    describeStatus(finished->status) + "\n" + tail(logPath, 10));
    const ClickFigures figures = clickFigures(events, 1, delayMs);
    if (result->reason != "amount" || figures.clicks != std::size_t(m_options.clicks) ||
        result->counted != m_options.clicks || landedOnTarget() != figures.clicks) {
        return fail(row.failures, label, round,
                    "stopped by " + result->reason + " after " + std::to_string(figures.clicks) +
                        " recorded clicks, " + std::to_string(result->counted) +
                        " counted; not all on the target");
    }
    if (result->tickSource != "timerfd")
        std::printf("  note: the click timer was %s, not the timerfd one\n",
                    result->tickSource.c_str());
    recordRow(row, figures, double(result->runCpuUs) / double(figures.clicks),
              mebibytesOfKilobytes(finished->usage.ru_maxrss), label, round);
    std::printf("         %-14s waited %.1f ms for a processor, taken off one %lld times; "
                "recorder waited %.1f ms; load %s\n",
                "", result->runQueueWaitMs, result->involuntarySwitches, recorderWaitMs,
                loadAverage().c_str());
    std::fflush(stdout);
}

void Benchmark::xdotoolClicks(int delayMs, RowRuns& row, int round) {
    const std::string label = "xdotool " + std::to_string(delayMs) + " ms";
    const std::string tag = "xdotool-" + std::to_string(delayMs) + "-" + std::to_string(round);
    const std::string logPath = m_temp.path() + "/" + tag + ".log";
    m_desk.movePointer(kRestingPoint);
    m_recorder.take();
    landedOnTarget();
    SpawnOptions options;
    options.argv = {"xdotool",  "click",
                    "--repeat", std::to_string(m_options.clicks),
                    "--delay",  std::to_string(delayMs),
                    "1"};
    options.environment = environmentWith({"DISPLAY=" + m_session.display()});
    options.logPath = logPath;
    options.deathSignal = SIGKILL;
    std::string error;
    Running xdotool(spawn(options, &error), SIGKILL);
    if (xdotool.pid() < 0)
        return fail(row.failures, label, round, error);
    const auto finished =
        waitExit(xdotool.pid(), milliseconds(m_options.clicks * (delayMs + 5) * 2 + 10000));
    if (!finished)
        return fail(row.failures, label, round, "did not end in time");
    xdotool.collected();
    sleepFor(kTailTime);
    const std::vector<PointerEvent> events = m_recorder.take();
    dumpEvents(m_options, tag, events);
    if (finished->status != 0)
        return fail(row.failures, label, round,
                    describeStatus(finished->status) + "\n" + tail(logPath, 10));
    const ClickFigures figures = clickFigures(events, 1, delayMs);
    const std::size_t landed = landedOnTarget();
    if (figures.clicks != std::size_t(m_options.clicks) || landed != figures.clicks)
        return fail(row.failures, label, round,
                    std::to_string(figures.clicks) + " clicks recorded, " + std::to_string(landed) +
                        " on the target");
    // xdotool's run is its whole life: its start-up counts too.
    recordRow(row, figures, cpuMicroseconds(finished->usage) / double(figures.clicks),
              mebibytesOfKilobytes(finished->usage.ru_maxrss), label, round);
}

void Benchmark::stopAfterMove(StopRuns& runs, int round) {
    const std::string label = "stop on move";
    const std::string tag = "stop-" + std::to_string(round);
    const std::string resultPath = m_temp.path() + "/" + tag + ".result";
    const std::string logPath = m_temp.path() + "/" + tag + ".log";
    m_desk.movePointer(kRestingPoint);
    m_recorder.take();
    constexpr int kLimitMs = 60000;
    Running engine(startEngine(5, 0, resultPath, kLimitMs, logPath), SIGKILL);
    if (engine.pid() < 0)
        return fail(runs.failures, label, round, "not started");
    if (!m_recorder.waitForPresses(kPressesBeforeMove, milliseconds(30000)))
        return fail(runs.failures, label, round,
                    "only " + std::to_string(m_recorder.presses()) + " clicks in 30 s");
    m_desk.movePointer(kMovedPoint);
    const std::int64_t movedNs = monotonicNow();
    const auto finished = waitExit(engine.pid(), milliseconds(10000));
    if (!finished)
        return fail(runs.failures, label, round, "the run went on after the move");
    engine.collected();
    sleepFor(kTailTime);
    const std::vector<PointerEvent> events = m_recorder.take();
    dumpEvents(m_options, tag, events);
    const auto result = readEngineResult(resultPath);
    if (!result || finished->status != 0)
        return fail(runs.failures, label, round,
                    describeStatus(finished->status) + "\n" + tail(logPath, 10));
    if (result->reason != "mouse")
        return fail(runs.failures, label, round, "stopped by " + result->reason);
    // The server's order tells which clicks it processed after the move.
    auto move = std::find_if(events.begin(), events.end(), [](const PointerEvent& e) {
        return e.kind == PointerEventKind::Motion && e.rootX == kMovedPoint.x &&
               e.rootY == kMovedPoint.y;
    });
    if (move == events.end())
        return fail(runs.failures, label, round, "the move was not recorded");
    const auto isPress = [](const PointerEvent& e) { return e.kind == PointerEventKind::Press; };
    const double after = double(std::count_if(move, events.end(), isPress));
    const double receivedAfter =
        double(std::count_if(events.begin(), events.end(), [&](const PointerEvent& e) {
            return isPress(e) && e.receivedNs > movedNs;
        }));
    const double before = double(std::count_if(events.begin(), move, isPress));
    const double latencyMs = double(result->stopNs - movedNs) / 1e6;
    runs.latencyMs.push_back(latencyMs);
    runs.clicksAfterMove.push_back(after);
    runs.clicksReceivedAfterMove.push_back(receivedAfter);
    std::printf("  run %d  %-14s %5.0f clicks before the move, %.0f after it (%.0f received "
                "after it), stop %.3f ms after the move\n",
                round, label.c_str(), before, after, receivedAfter, latencyMs);
    std::fflush(stdout);
}

void Benchmark::idle(IdleRuns& runs, int round) {
    const std::string label = "idle program";
    const std::string folder = m_temp.make("idle-" + std::to_string(round));
    const std::string runtime = m_temp.make("idle-" + std::to_string(round) + "/runtime");
    const std::string config = m_temp.make("idle-" + std::to_string(round) + "/xdg");
    const std::string settings = folder + "/Tivrel.ini";
    std::ofstream(settings) << "[EULA]\nTrialRead=ACCEPTED\n[Auto-Hide]\nShow=1\n";
    const std::string logPath = folder + "/tivrel.log";
    SpawnOptions options;
    options.argv = {m_options.program};
    options.environment = environmentWith(
        {"DISPLAY=" + m_session.display(), "QT_QPA_PLATFORM=", "TIVREL_SETTINGS_FILE=" + settings,
         "XDG_RUNTIME_DIR=" + runtime, "XDG_CONFIG_DIRS=" + config});
    options.logPath = logPath;
    options.deathSignal = SIGTERM;
    std::string error;
    Running program(spawn(options, &error), SIGTERM);
    if (program.pid() < 0)
        return fail(runs.failures, label, round, error);
    sleepFor(milliseconds(m_options.idleSettleSeconds * 1000));
    const auto first = sampleProcess(program.pid());
    sleepFor(milliseconds(m_options.idleSeconds * 1000));
    const auto second = sampleProcess(program.pid());
    if (const auto early = waitExit(program.pid(), milliseconds(0))) {
        program.collected();
        return fail(runs.failures, label, round,
                    "the program ended by itself: " + describeStatus(early->status) + "\n" +
                        tail(logPath, 10));
    }
    const Finished finished = program.end();
    if (!first || !second)
        return fail(runs.failures, label, round, "cannot read /proc of the program");
    runs.statCpuMs.push_back(second->statCpuMs - first->statCpuMs);
    runs.scheduledCpuMs.push_back(second->scheduledCpuMs - first->scheduledCpuMs);
    runs.wakeups.push_back(second->contextSwitches - first->contextSwitches);
    std::printf("  run %d  %-14s %.0f ms CPU over %d s (scheduler: %.3f ms, %.0f context "
                "switches); ended with %s after SIGTERM\n",
                round, label.c_str(), runs.statCpuMs.back(), m_options.idleSeconds,
                runs.scheduledCpuMs.back(), runs.wakeups.back(),
                describeStatus(finished.status).c_str());
    std::fflush(stdout);
}

std::string verdict(bool holds) {
    return holds ? "holds" : "MISSED";
}

void Benchmark::printTable(const std::map<std::string, RowRuns>& rows, const StopRuns& stops,
                           const IdleRuns& idles) const {
    const auto pick = [](const RowRuns& row, double ClickFigures::*field) {
        std::vector<double> values;
        for (const ClickFigures& f : row.clicks)
            values.push_back(f.*field);
        return median(values);
    };
    std::printf("\nTivrel click timing: median of %d runs, %d clicks a run, on Xvfb %s with "
                "openbox\n\n",
                m_options.runs, m_options.clicks, m_session.display().c_str());
    std::printf("%-14s %9s %11s %9s %9s %9s %10s %13s %13s\n", "", "clicks/s", "rate err %",
                "dev p50", "dev p99", "dev max", "drift", "CPU/click", "peak RSS");
    std::printf("%-14s %9s %11s %9s %9s %9s %10s %13s %13s\n", "", "", "", "(ms)", "(ms)", "(ms)",
                "(ms)", "(µs)", "(MiB)");
    for (const char* name : {"tivrel 5 ms", "xdotool 5 ms", "tivrel 10 ms", "xdotool 10 ms"}) {
        const auto found = rows.find(name);
        if (found == rows.end() || found->second.clicks.empty()) {
            std::printf("%-14s no successful run\n", name);
            continue;
        }
        const RowRuns& row = found->second;
        std::printf(
            "%-14s %9.3f %+11.4f %9.3f %9.3f %9.3f %+10.2f %13.1f %13.1f%s\n", name,
            pick(row, &ClickFigures::clicksPerSecond), pick(row, &ClickFigures::rateErrorPercent),
            pick(row, &ClickFigures::deviationP50Ms), pick(row, &ClickFigures::deviationP99Ms),
            pick(row, &ClickFigures::deviationMaxMs), pick(row, &ClickFigures::driftMs),
            median(row.cpuPerClickUs), median(row.peakRssMiB),
            row.failures ? "  (some runs failed)" : "");
    }
    std::printf("%-14s %9s %11s %9s %9s %9s %10s %13s %13s\n", "goal (tivrel)", "", "|e| <= 0.05",
                "", "<= 0.4", "", "", "<= 150", "< 60");
    std::printf("\n");
    const double latency = median(stops.latencyMs);
    const double latencyMax =
        stops.latencyMs.empty() ? 0
                                : *std::max_element(stops.latencyMs.begin(), stops.latencyMs.end());
    const double afterMax =
        stops.clicksAfterMove.empty()
            ? 0
            : *std::max_element(stops.clicksAfterMove.begin(), stops.clicksAfterMove.end());
    const double receivedAfterMax = stops.clicksReceivedAfterMove.empty()
                                        ? 0
                                        : *std::max_element(stops.clicksReceivedAfterMove.begin(),
                                                            stops.clicksReceivedAfterMove.end());
    std::printf("stop latency after a pointer move (5 ms run): %.3f ms median, %.3f ms max "
                "(goal <= %.0f ms)\n",
                latency, latencyMax, kGoalStopLatencyMs);
    std::printf("clicks after the move: %.0f median, %.0f max in the server's order; %.0f max "
                "received after it (goal 0)\n",
                median(stops.clicksAfterMove), afterMax, receivedAfterMax);
    std::printf("idle CPU of the program over %d s: %.0f ms median (/proc stat, 10 ms steps); "
                "scheduler run time %.3f ms, %.0f context switches (goal 0)\n",
                m_options.idleSeconds, median(idles.statCpuMs), median(idles.scheduledCpuMs),
                median(idles.wakeups));

    std::printf("\nGoals:\n");
    for (const char* name : {"tivrel 5 ms", "tivrel 10 ms"}) {
        const auto found = rows.find(name);
        if (found == rows.end() || found->second.clicks.empty()) {
            std::printf("  %-13s no figures: MISSED\n", name);
            continue;
        }
        const RowRuns& row = found->second;
        const double rate = pick(row, &ClickFigures::rateErrorPercent);
        const double p99 = pick(row, &ClickFigures::deviationP99Ms);
        const double cpu = median(row.cpuPerClickUs);
        const double rss = median(row.peakRssMiB);
        std::printf("  %-13s rate error %.4f %% <= %.2f %%: %s\n", name, std::abs(rate),
                    kGoalRateErrorPercent,
                    verdict(std::abs(rate) <= kGoalRateErrorPercent).c_str());
        std::printf("  %-13s p99 deviation %.3f ms <= %.1f ms: %s\n", name, p99,
                    kGoalP99DeviationMs, verdict(p99 <= kGoalP99DeviationMs).c_str());
        std::printf("  %-13s CPU %.1f µs/click <= %.0f µs: %s\n", name, cpu, kGoalCpuPerClickUs,
                    verdict(cpu <= kGoalCpuPerClickUs).c_str());
        std::printf("  %-13s peak memory %.1f MiB < %.0f MiB: %s\n", name, rss, kGoalPeakRssMiB,
                    verdict(rss < kGoalPeakRssMiB).c_str());
    }
    std::printf("  %-13s stop %.3f ms (max %.3f) after the move <= %.0f ms: %s\n", "stop", latency,
                latencyMax, kGoalStopLatencyMs,
                verdict(!stops.latencyMs.empty() && latencyMax <= kGoalStopLatencyMs).c_str());
    std::printf("  %-13s %.0f clicks after the move in any run: %s\n", "stop", afterMax,
                verdict(!stops.clicksAfterMove.empty() && afterMax == 0).c_str());
    const double idleMax = idles.statCpuMs.empty()
                               ? 0
                               : *std::max_element(idles.statCpuMs.begin(), idles.statCpuMs.end());
    std::printf("  %-13s %.0f ms CPU over %d s in any run: %s\n", "idle", idleMax,
                m_options.idleSeconds, verdict(!idles.statCpuMs.empty() && idleMax == 0).c_str());
}

void Benchmark::run() {
    std::map<std::string, RowRuns> rows;
    StopRuns stops;
    IdleRuns idles;
    for (int round = 1; round <= m_options.runs; ++round) {
        for (const int delay : {5, 10}) {
            // Appended piece by piece: GCC 12 at -O3 warns falsely (-Wrestrict) about the
            // temporaries of " " + std::to_string(delay) + " ms".
            std::string suffix = " ";
            suffix += std::to_string(delay);
            suffix += " ms";
            tivrelClicks(delay, rows["tivrel" + suffix], round);
            xdotoolClicks(delay, rows["xdotool" + suffix], round);
        }
        stopAfterMove(stops, round);
    }
    for (int round = 1; round <= m_options.runs; ++round)
        idle(idles, round);
    printTable(rows, stops, idles);
}

int benchmarkMain(int argc, char** argv) {
    Options options;
    if (!parseOptions(argc, argv, &options))
        return 2;
    if (::access(options.program.c_str(), X_OK) != 0) {
        std::fprintf(stderr, "tivrel-bench: no program at %s (build the tivrel target)\n",
                     options.program.c_str());
        return 2;
    }
    XInitThreads(); // the recorder reads its connection on a thread of its own
    catchInterrupts();
    TempFolder temp;
    if (temp.path().empty()) {
        std::fprintf(stderr, "tivrel-bench: cannot make a temporary folder\n");
        return 2;
    }
    try {
        XSession session;
        std::string error;
        if (!session.start(temp.path(), &error)) {
            std::fprintf(stderr, "tivrel-bench: %s\n", error.c_str());
            temp.keep = true;
            std::fprintf(stderr, "tivrel-bench: logs kept in %s\n", temp.path().c_str());
            return 1;
        }
        ClickRecorder recorder;
        Desk desk;
        TargetWindow target;
        if (!recorder.start(session.display(), &error) || !desk.open(session.display(), &error) ||
            !target.open(session.display(), kTargetX, kTargetY, kTargetSize, kTargetSize, &error)) {
            std::fprintf(stderr, "tivrel-bench: %s\n", error.c_str());
            return 1;
        }
        std::printf("tivrel-bench: Xvfb %s, %ld CPUs online, load average %s\n",
                    session.display().c_str(), ::sysconf(_SC_NPROCESSORS_ONLN),
                    loadAverage().c_str());
        std::printf("program: %s\n", options.program.c_str());
        std::printf("recorder thread: %s priority\n",
                    recorder.realTime() ? "real-time (SCHED_FIFO 10)" : "normal");
        std::fflush(stdout);
        Benchmark benchmark(options, temp, session, recorder, desk, target);
        benchmark.run();
        std::printf("\nload average at the end: %s; the target window received %zu presses\n",
                    loadAverage().c_str(), target.presses());
        recorder.stop();
        return benchmark.anyFailure() ? 1 : 0;
    } catch (const Interrupted&) {
        std::fprintf(stderr, "tivrel-bench: interrupted; stopping what it started\n");
        return 130;
    }
}

} // namespace

} // namespace tivrel::bench

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], tivrel::bench::kEngineRunCommand) == 0)
        return tivrel::bench::runEngine(argc, argv);
    return tivrel::bench::benchmarkMain(argc, argv);
}
