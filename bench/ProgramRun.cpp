// The real program driven from outside for the benchmark, and the watch on its dialog log.

#include "ProgramRun.h"

#include "ClickRecorder.h"

#include <filesystem>
#include <fstream>
#include <poll.h>
#include <pthread.h>
#include <sched.h>
#include <sstream>
#include <sys/inotify.h>
#include <unistd.h>

namespace tivrel::bench {

namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;

} // namespace

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

DialogLogWatch::~DialogLogWatch() {
    stop();
}

bool DialogLogWatch::start(const std::string& file, std::string* error) {
    const fs::path path(file);
    m_file = file;
    m_name = path.filename().string();
    m_inotify = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    // The folder, not the file: the program makes the file with its first box.
    if (m_inotify < 0 ||
        ::inotify_add_watch(m_inotify, path.parent_path().c_str(), IN_CREATE | IN_MODIFY) < 0) {
        *error = "cannot watch " + path.parent_path().string() + " with inotify";
        stop();
        return false;
    }
    m_stopping = false;
    m_thread = std::thread([this] { readLoop(); });
    sched_param priority{};
    priority.sched_priority = 10;
    ::pthread_setschedparam(m_thread.native_handle(), SCHED_FIFO, &priority);
    return true;
}

void DialogLogWatch::stop() {
    m_stopping = true;
    if (m_thread.joinable())
        m_thread.join();
    if (m_inotify >= 0)
        ::close(m_inotify);
    m_inotify = -1;
}

void DialogLogWatch::readLoop() {
    pollfd watched{m_inotify, POLLIN, 0};
    alignas(inotify_event) char buffer[4096];
    while (!m_stopping.load()) {
        if (::poll(&watched, 1, 20) <= 0)
            continue;
        const std::int64_t now = monotonicNow();
        bool ours = false;
        for (ssize_t got; (got = ::read(m_inotify, buffer, sizeof buffer)) > 0;) {
            for (char* at = buffer; at < buffer + got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(at);
                if (event->len > 0 && m_name == event->name)
                    ours = true;
                at += sizeof(inotify_event) + event->len;
            }
        }
        if (ours)
            readNewLines(now);
    }
}

void DialogLogWatch::readNewLines(std::int64_t now) {
    const pid_t pid = m_pid.load();
    const auto sample = pid > 0 ? sampleProcess(pid) : std::nullopt;
    std::ifstream in(m_file, std::ios::binary);
    in.seekg(std::streamoff(m_offset));
    std::string more((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    m_offset += more.size();
    m_partial += more;
    std::vector<SeenDialog> added;
    for (std::size_t end; (end = m_partial.find('\n')) != std::string::npos;) {
        SeenDialog seen;
        seen.line = test::parseDialogLine(QString::fromStdString(m_partial.substr(0, end)));
        m_partial.erase(0, end + 1);
        seen.seenNs = now;
        seen.cpuMs = sample ? sample->statCpuMs : 0;
        added.push_back(seen);
    }
    if (added.empty())
        return;
    {
        const std::lock_guard lock(m_mutex);
        m_lines.insert(m_lines.end(), added.begin(), added.end());
    }
    m_added.notify_all();
}

std::vector<SeenDialog> DialogLogWatch::lines() const {
    const std::lock_guard lock(m_mutex);
    return m_lines;
}

std::size_t DialogLogWatch::waitForLines(std::size_t count, milliseconds timeout) {
    std::unique_lock lock(m_mutex);
    m_added.wait_for(lock, timeout, [&] { return m_lines.size() >= count; });
    return m_lines.size();
}

ProgramRun::ProgramRun(const std::string& program, const std::string& home,
                       test::TestSession& session)
    : m_home(QString::fromStdString(program), QString::fromStdString(home)),
      m_driver(session, m_home) {}

ProgramRun::~ProgramRun() {
    end();
}

bool ProgramRun::start(std::string* error) {
    if (!m_home.isValid()) {
        *error = m_home.error().toStdString();
        return false;
    }
    if (!m_home.writeAcceptedSettings(true)) {
        *error = "cannot write " + m_home.settingsFile().toStdString();
        return false;
    }
    if (!m_dialogs.start(m_home.dialogLogFile().toStdString(), error))
        return false;
    QString why;
    if (!m_driver.start(&why)) {
        *error = why.toStdString();
        return false;
    }
    m_dialogs.setProcess(pid_t(m_driver.process().pid()));
    const std::optional<QRect> main = m_driver.placeMainWindow(&why);
    if (!main) {
        *error = why.toStdString();
        return false;
    }
    if (!m_driver.waitForWindow(test::isTrayIcon)) {
        *error = "no tray icon (" + m_driver.process().describeEnd().toStdString() + ")";
        return false;
    }
    m_mainWindow = *main;
    return true;
}

bool ProgramRun::setSpeed(int milliseconds, std::string* error) {
    QString why;
    if (m_driver.setSpeed(milliseconds, &why))
        return true;
    *error = why.toStdString();
    return false;
}

bool ProgramRun::setAmount(int clicks, std::string* error) {
    QString why;
    if (m_driver.setAmount(clicks, &why))
        return true;
    *error = why.toStdString();
    return false;
}

std::optional<double> ProgramRun::pressEnter(QPoint target, std::string* error) {
    std::optional<ProcessSample> sample;
    QString why;
    const bool pressed = m_driver.pressEnter(target, &why, [&] {
        m_linesSeen = m_dialogs.lines().size();
        sample = sampleProcess(pid_t(m_driver.process().pid()));
    });
    if (!pressed || !sample) {
        *error = pressed ? "cannot read the program's CPU time" : why.toStdString();
        return std::nullopt;
    }
    return sample->statCpuMs;
}

std::optional<SeenDialog> ProgramRun::waitForMessage(milliseconds timeout) {
    if (m_dialogs.waitForLines(m_linesSeen + 1, timeout) <= m_linesSeen)
        return std::nullopt;
    return m_dialogs.lines()[m_linesSeen++];
}

void ProgramRun::end() {
    m_dialogs.stop();
    m_driver.end();
}

} // namespace tivrel::bench
