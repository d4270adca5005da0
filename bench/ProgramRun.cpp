// The real program driven from outside for the benchmark, and the watch on its dialog log.

#include "ProgramRun.h"

#include "ClickRecorder.h"
#include "RecorderWindow.h"
#include "Waiting.h"
#include "WindowTree.h"
#include "widgets/Twips.h"

#include <QDir>
#include <QFile>
#include <QProcessEnvironment>

#include <csignal>
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

constexpr milliseconds kAppearTimeout{40000};
constexpr const char* kNormalType = "_NET_WM_WINDOW_TYPE_NORMAL";
constexpr const char* kDialogType = "_NET_WM_WINDOW_TYPE_DIALOG";

bool isMainWindow(const test::WindowInfo& w) {
    return w.viewable && w.name == QStringLiteral("Tivrel") && !w.overrideRedirect &&
           !w.embeddedInTray() && w.types.contains(QLatin1String(kNormalType)) &&
           !w.types.contains(QLatin1String(kDialogType));
}

bool isTrayIcon(const test::WindowInfo& w) {
    return w.viewable && w.embeddedInTray() && !w.geometry.isEmpty();
}

bool isValueBox(const test::WindowInfo& w) {
    return w.viewable && w.name == QStringLiteral("Enter a Value") &&
           w.types.contains(QLatin1String(kDialogType));
}

// The first of the process's windows that satisfies `wanted`, once there is one.
std::optional<test::WindowInfo> waitForWindow(test::ChildProcess& process,
                                              const QByteArray& display,
                                              bool (*wanted)(const test::WindowInfo&),
                                              milliseconds timeout) {
    std::optional<test::WindowInfo> found;
    test::waitUntil(
        [&] {
            if (process.hasEnded())
                return true;
            for (const test::WindowInfo& w : test::lookAt(process.pid(), display).windows) {
                if (wanted(w)) {
                    found = w;
                    return true;
                }
            }
            return false;
        },
        timeout, milliseconds(20));
    return found;
}

bool gone(test::ChildProcess& process, const QByteArray& display,
          bool (*unwanted)(const test::WindowInfo&), milliseconds timeout) {
    return test::waitUntil(
        [&] {
            const auto windows = test::lookAt(process.pid(), display).windows;
            return std::none_of(windows.begin(), windows.end(), unwanted);
        },
        timeout, milliseconds(20));
}

// Runs a tool (xdotool) to its end; true when it succeeded.
bool runTool(const QStringList& command, const QByteArray& display, const std::string& log) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), QString::fromLatin1(display));
    test::ChildProcess tool;
    const QString output = QString::fromStdString(log);
    QString error;
    return tool.start(command, environment.toStringList(), output, output, &error) &&
           tool.waitForEnd(milliseconds(10000)) && tool.exitedNormally() && tool.exitCode() == 0;
}

std::vector<std::string> splitTabs(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t from = 0;
    for (std::size_t tab; (tab = line.find('\t', from)) != std::string::npos; from = tab + 1)
        fields.push_back(line.substr(from, tab - from));
    fields.push_back(line.substr(from));
    return fields;
}

// The value labels and the "Amount" box, in the twips of the window's layout: the speed
// frame lies at 120, 120 of the area below the menu bar, 4200 x 4995 twips.
constexpr int kFrameLeft = 120;
constexpr int kFrameTop = 120;
constexpr int kClientHeight = 4995;
constexpr QPoint kSpeedLabel{360 + 307, 840 + 127};
constexpr QPoint kAmountBox{480 + 300, 2520 + 127};
constexpr QPoint kAmountLabel{360 + 307, 2880 + 127};

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
    std::vector<DialogLine> added;
    for (std::size_t end; (end = m_partial.find('\n')) != std::string::npos;) {
        const std::vector<std::string> fields = splitTabs(m_partial.substr(0, end));
        m_partial.erase(0, end + 1);
        DialogLine line;
        line.kind = fields[0];
        line.title = fields.size() > 1 ? fields[1] : std::string();
        line.text = fields.size() > 2 ? fields[2] : std::string();
        line.seenNs = now;
        line.cpuMs = sample ? sample->statCpuMs : 0;
        added.push_back(line);
    }
    if (added.empty())
        return;
    {
        const std::lock_guard lock(m_mutex);
        m_lines.insert(m_lines.end(), added.begin(), added.end());
    }
    m_added.notify_all();
}

std::vector<DialogLine> DialogLogWatch::lines() const {
    const std::lock_guard lock(m_mutex);
    return m_lines;
}

std::size_t DialogLogWatch::waitForLines(std::size_t count, milliseconds timeout) {
    std::unique_lock lock(m_mutex);
    m_added.wait_for(lock, timeout, [&] { return m_lines.size() >= count; });
    return m_lines.size();
}

ProgramRun::ProgramRun(const std::string& program, const std::string& home,
                       const QByteArray& display, test::OutsideInput& input)
    : m_program(program), m_home(home), m_display(display), m_input(input) {}

ProgramRun::~ProgramRun() {
    end();
}

bool ProgramRun::start(std::string* error) {
    const QString home = QString::fromStdString(m_home);
    for (const char* folder : {"home", "config", "runtime", "xdg"})
        QDir().mkpath(home + u'/' + QLatin1String(folder));
    // The runtime folder must be the user's alone, or Qt does not take it.
    QFile::setPermissions(home + QStringLiteral("/runtime"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const std::string settings = m_home + "/config/Tivrel/Tivrel.ini";
    fs::create_directories(m_home + "/config/Tivrel");
    std::ofstream(settings) << "[EULA]\nTrialRead=ACCEPTED\n[Auto-Hide]\nShow=1\n";
    const std::string dialogLog = m_home + "/dialogs.log";
    if (!m_dialogs.start(dialogLog, error))
        return false;

    // The environment of a user's session on this display, without what would reach the
    // desktop this benchmark was started from.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DBUS_SESSION_BUS_ADDRESS", "SESSION_MANAGER", "WAYLAND_DISPLAY",
                             "QT_QPA_PLATFORM", "XDG_SESSION_TYPE", "XDG_CURRENT_DESKTOP"})
        environment.remove(QString::fromLatin1(name));
    environment.insert(QStringLiteral("DISPLAY"), QString::fromLatin1(m_display));
    environment.insert(QStringLiteral("HOME"), home + QStringLiteral("/home"));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/config"));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), home + QStringLiteral("/runtime"));
    environment.insert(QStringLiteral("XDG_CONFIG_DIRS"), home + QStringLiteral("/xdg"));
    environment.insert(QStringLiteral("TIVREL_SETTINGS_FILE"), QString::fromStdString(settings));
    environment.insert(QStringLiteral("TIVREL_DIALOG_LOG"), QString::fromStdString(dialogLog));
    const QString log = QString::fromStdString(logPath());
    QString why;
    if (!m_process.start({QString::fromStdString(m_program)}, environment.toStringList(), log, log,
                         &why)) {
        *error = why.toStdString();
        return false;
    }
    m_dialogs.setProcess(pid_t(m_process.pid()));
    const auto main = waitForWindow(m_process, m_display, isMainWindow, kAppearTimeout);
    const auto icon = waitForWindow(m_process, m_display, isTrayIcon, kAppearTimeout);
    if (!main || !icon) {
        *error = std::string(main ? "no tray icon" : "no main window") + " (" +
                 m_process.describeEnd().toStdString() + ")";
        return false;
    }
    m_mainWindowId = main->id;
    // The window manager may still place the window after it is mapped: its place counts once
    // three looks in a row agree.
    int agreeing = 0;
    test::waitUntil(
        [&] {
            const auto now = waitForWindow(m_process, m_display, isMainWindow, milliseconds(0));
            if (now && now->geometry == m_mainWindow) {
                ++agreeing;
            } else {
                agreeing = 0;
                m_mainWindow = now ? now->geometry : QRect();
            }
            return agreeing >= 3;
        },
        milliseconds(10000), milliseconds(100));
    if (m_mainWindow.isEmpty()) {
        *error = "the main window went away";
        return false;
    }
    return true;
}

QPoint ProgramRun::onWindow(int x, int y) const {
    // The area below the menu bar ends where the window ends.
    const int clientTop = m_mainWindow.y() + m_mainWindow.height() - pixels(kClientHeight);
    return {m_mainWindow.x() + pixels(kFrameLeft) + pixels(x),
            clientTop + pixels(kFrameTop) + pixels(y)};
}

bool ProgramRun::activate(unsigned long window) {
    return runTool({QStringLiteral("xdotool"), QStringLiteral("windowactivate"),
                    QStringLiteral("--sync"), QString::number(window)},
                   m_display, m_home + "/xdotool.log");
}

bool ProgramRun::clickAt(QPoint place) {
    // As a hand clicks: the button held for a moment. Qt's buttons miss a press and a release
    // that reach them together.
    m_input.movePointer(place);
    return runTool({QStringLiteral("xdotool"), QStringLiteral("click"), QStringLiteral("1")},
                   m_display, m_home + "/xdotool.log");
}

bool ProgramRun::openValueBox(QPoint label) {
    const std::size_t before = m_dialogs.lines().size();
    clickAt(label);
    if (m_dialogs.waitForLines(before + 1, milliseconds(3000)) <= before)
        return false;
    m_linesSeen = before + 1;
    return true;
}

bool ProgramRun::typeValue(int value, std::string* error) {
    // A key typed before the box has the focus goes elsewhere: try again while it stays.
    for (int attempt = 0; attempt < 3; ++attempt) {
        const auto box = waitForWindow(m_process, m_display, isValueBox, milliseconds(10000));
        if (!box)
            break;
        activate(box->id);
        for (const char digit : std::to_string(value))
            m_input.tapKey(std::string(1, digit).c_str());
        m_input.tapKey("Return");
        if (gone(m_process, m_display, isValueBox, milliseconds(3000)))
            return m_dialogs.lines().size() == m_linesSeen; // no "incorrect value"
    }
    *error = "the value box did not take " + std::to_string(value);
    return false;
}

bool ProgramRun::setSpeed(int milliseconds, std::string* error) {
    const QPoint label = onWindow(kSpeedLabel.x(), kSpeedLabel.y());
    if (openValueBox(label) || openValueBox(label))
        return typeValue(milliseconds, error);
    *error = "a click on the speed opened no box";
    return false;
}

bool ProgramRun::setAmount(int clicks, std::string* error) {
    if (clicks <= 0)
        return true;
    // The label takes clicks once "Amount" is ticked: while a click on it opens no box, the
    // tick did not take.
    for (int attempt = 0; attempt < 3; ++attempt) {
        clickAt(onWindow(kAmountBox.x(), kAmountBox.y()));
        if (openValueBox(onWindow(kAmountLabel.x(), kAmountLabel.y())))
            return typeValue(clicks, error);
    }
    *error = "\"Amount\" would not tick";
    return false;
}

std::optional<double> ProgramRun::pressEnter(QPoint target, std::string* error) {
    if (!activate(m_mainWindowId)) {
        *error = "cannot activate the main window";
        return std::nullopt;
    }
    m_input.movePointer(target);
    m_linesSeen = m_dialogs.lines().size();
    const auto sample = sampleProcess(pid_t(m_process.pid()));
    if (!sample || !m_input.tapKey("Return")) {
        *error = "cannot press ENTER";
        return std::nullopt;
    }
    return sample->statCpuMs;
}

std::optional<DialogLine> ProgramRun::waitForMessage(milliseconds timeout) {
    if (m_dialogs.waitForLines(m_linesSeen + 1, timeout) <= m_linesSeen)
        return std::nullopt;
    return m_dialogs.lines()[m_linesSeen++];
}

void ProgramRun::end() {
    m_dialogs.stop();
    if (!m_process.started() || m_process.hasEnded())
        return;
    m_process.sendSignal(SIGTERM);
    if (!m_process.waitForEnd(milliseconds(5000)))
        m_process.kill();
}

} // namespace tivrel::bench
