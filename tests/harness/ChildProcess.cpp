#include "ChildProcess.h"

#include <QByteArray>

#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace tivrel::test {

namespace {

using Clock = std::chrono::steady_clock;

// Owns the bytes the child's argv and envp point into.
struct CStrings {
    explicit CStrings(const QStringList& list) {
        for (const QString& item : list)
            bytes.push_back(item.toLocal8Bit());
        for (QByteArray& item : bytes)
            pointers.push_back(item.data());
        pointers.push_back(nullptr);
    }
    std::vector<QByteArray> bytes;
    std::vector<char*> pointers;
};

} // namespace

ChildProcess::~ChildProcess() {
    if (!m_detached)
        kill();
}

bool ChildProcess::start(const QStringList& command, const QStringList& environment,
                         const QString& outputFile, const QString& errorFile, QString* error) {
    if (command.isEmpty()) {
        *error = QStringLiteral("no command");
        return false;
    }
    const CStrings argv(command);
    const CStrings envp(environment);
    const QByteArray out = outputFile.toLocal8Bit();
    const QByteArray err = errorFile.toLocal8Bit();
    // The search uses the test's own PATH, the child gets the environment given.
    const QByteArray path = qgetenv("PATH");

    const pid_t parent = getpid();
    const bool detached = m_detached;
    const pid_t pid = fork();
    if (pid < 0) {
        *error = QStringLiteral("fork: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    if (pid == 0) {
        // Only async-signal-safe calls from here on.
        if (detached) {
            // No terminal, and no signal for the starter's process group reaches it.
            setsid();
        } else {
            prctl(PR_SET_PDEATHSIG, SIGKILL);
            if (getppid() != parent)
                _exit(126);
        }
        const int input = open("/dev/null", O_RDONLY);
        const int output = open(out.constData(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        const int errors = open(err.constData(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        if (input < 0 || output < 0 || errors < 0)
            _exit(126);
        dup2(input, 0);
        dup2(output, 1);
        dup2(errors, 2);
        // A test process may have signals blocked or ignored; the child starts with none.
        sigset_t none;
        sigemptyset(&none);
        sigprocmask(SIG_SETMASK, &none, nullptr);
        for (const int s : {SIGTERM, SIGINT, SIGHUP, SIGPIPE})
            signal(s, SIG_DFL);
        const char* name = argv.pointers[0];
        if (std::strchr(name, '/')) {
            execve(name, argv.pointers.data(), envp.pointers.data());
        } else {
            // execvpe would read PATH from the child's environment; look it up here.
            const char* dirs = path.constData();
            char candidate[4096];
            while (*dirs) {
                const char* end = std::strchr(dirs, ':');
                const std::size_t length = end ? std::size_t(end - dirs) : std::strlen(dirs);
                const std::size_t nameLength = std::strlen(name);
                if (length + nameLength + 2 < sizeof candidate) {
                    std::memcpy(candidate, dirs, length);
                    candidate[length] = '/';
                    std::memcpy(candidate + length + 1, name, nameLength + 1);
                    execve(candidate, argv.pointers.data(), envp.pointers.data());
                }
                dirs += length;
                if (*dirs == ':')
                    ++dirs;
            }
        }
        _exit(127);
    }
    m_pid = pid;
    m_ended = false;
    return true;
}

bool ChildProcess::hasEnded() {
    if (m_ended || m_pid <= 0)
        return m_ended;
    int status = 0;
    struct rusage usage {};
    if (wait4(pid_t(m_pid), &status, WNOHANG, &usage) != pid_t(m_pid))
        return false;
    collected(status, usage);
    return true;
}

void ChildProcess::collected(int status, const rusage& usage) {
    m_ended = true;
    m_signalled = WIFSIGNALED(status);
    m_signal = m_signalled ? WTERMSIG(status) : 0;
    m_coreDumped = m_signalled && WCOREDUMP(status);
    m_exitCode = m_signalled ? -1 : WEXITSTATUS(status);
    m_cpuMicroseconds = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e6 +
                        double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec);
    m_peakRssKiB = usage.ru_maxrss;
}

bool ChildProcess::waitForEnd(std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    while (!hasEnded()) {
        if (Clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

bool ChildProcess::sendSignal(int signal) const {
    // Never a signal to a PID whose child has been collected: the PID may be someone else's.
    return m_pid > 0 && !m_ended && ::kill(pid_t(m_pid), signal) == 0;
}

void ChildProcess::kill() {
    if (m_pid <= 0 || hasEnded())
        return;
    ::kill(pid_t(m_pid), SIGKILL);
    int status = 0;
    struct rusage usage {};
    if (wait4(pid_t(m_pid), &status, 0, &usage) == pid_t(m_pid))
        collected(status, usage);
}

QString ChildProcess::describeEnd() const {
    if (m_pid <= 0)
        return QStringLiteral("not started");
    if (!m_ended)
        return QStringLiteral("running");
    if (!m_signalled) {
        QString text = QStringLiteral("exited with %1").arg(m_exitCode);
        if (m_exitCode == 127)
            text += QStringLiteral(" (the command was not found)");
        return text;
    }
    QString text = QStringLiteral("killed by signal %1 (%2)")
                       .arg(m_signal)
                       .arg(QString::fromLocal8Bit(strsignal(m_signal)));
    if (m_coreDumped)
        text += QStringLiteral(", core dumped");
    return text;
}

} // namespace tivrel::test
