#include "Processes.h"

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace tivrel::bench {

namespace {

volatile std::sig_atomic_t g_interrupted = 0;

void onInterrupt(int) {
    g_interrupted = 1;
}

std::string findProgram(const std::string& name) {
    if (name.find('/') != std::string::npos)
        return name;
    const char* path = std::getenv("PATH");
    std::string folders = path ? path : "/usr/bin:/bin";
    std::size_t begin = 0;
    while (begin <= folders.size()) {
        std::size_t end = folders.find(':', begin);
        if (end == std::string::npos)
            end = folders.size();
        const std::string folder = folders.substr(begin, end - begin);
        const std::string candidate = (folder.empty() ? "." : folder) + "/" + name;
        if (::access(candidate.c_str(), X_OK) == 0)
            return candidate;
        begin = end + 1;
    }
    return {};
}

} // namespace

void catchInterrupts() {
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaction(signal, &action, nullptr);
}

void throwIfInterrupted() {
    if (g_interrupted)
        throw Interrupted{};
}

void sleepFor(std::chrono::milliseconds duration) {
    const auto end = std::chrono::steady_clock::now() + duration;
    for (;;) {
        throwIfInterrupted();
        const auto left = end - std::chrono::steady_clock::now();
        if (left <= std::chrono::steady_clock::duration::zero())
            return;
        std::this_thread::sleep_for(
            std::min<std::chrono::steady_clock::duration>(left, std::chrono::milliseconds(20)));
    }
}

pid_t spawn(const SpawnOptions& options, std::string* error) {
    if (options.argv.empty()) {
        *error = "nothing to start";
        return -1;
    }
    const std::string program = findProgram(options.argv.front());
    if (program.empty()) {
        *error = options.argv.front() + " is not installed";
        return -1;
    }
    // Everything the new process needs is prepared here: between fork and exec only
    // async-signal-safe calls are allowed, and the recorder thread may hold locks.
    std::vector<char*> argv;
    for (const std::string& arg : options.argv)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (const std::string& var : options.environment)
        envp.push_back(const_cast<char*>(var.c_str()));
    envp.push_back(nullptr);
    const int log = ::open(options.logPath.empty() ? "/dev/null" : options.logPath.c_str(),
                           O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (log < 0) {
        *error = "cannot write " + options.logPath + ": " + std::strerror(errno);
        return -1;
    }
    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid < 0) {
        *error = std::string("fork failed: ") + std::strerror(errno);
        ::close(log);
        return -1;
    }
    if (pid == 0) {
        if (options.deathSignal != 0) {
            ::prctl(PR_SET_PDEATHSIG, options.deathSignal);
            if (::getppid() != parent)
                ::_exit(127);
        }
        // The benchmark's own handlers and blocked signals are not the program's.
        for (const int signal : {SIGINT, SIGTERM, SIGHUP})
            ::signal(signal, SIG_DFL);
        sigset_t none;
        sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        ::setpgid(0, 0); // a terminal's Ctrl+C goes to the benchmark, which ends the rest
        const int devNull = ::open("/dev/null", O_RDONLY);
        ::dup2(devNull, 0);
        ::dup2(log, 1);
        ::dup2(log, 2);
        if (options.passFd >= 0)
            ::dup2(options.passFd, 3);
        ::execve(program.c_str(), argv.data(), envp.data());
        ::_exit(127);
    }
    ::close(log);
    return pid;
}

std::optional<Finished> waitExit(pid_t pid, std::chrono::milliseconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        Finished finished;
        const pid_t done = ::wait4(pid, &finished.status, WNOHANG, &finished.usage);
        if (done == pid)
            return finished;
        if (done < 0 && errno != EINTR)
            return Finished{-1, {}}; // not ours, or collected already
        if (std::chrono::steady_clock::now() >= end)
            return std::nullopt;
        if (g_interrupted) {
            // Leave the program to the caller's cleanup, which ends it.
            throw Interrupted{};
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

Finished endProcess(pid_t pid, int signal, std::chrono::milliseconds grace) {
    ::kill(pid, signal);
    const auto end = std::chrono::steady_clock::now() + grace;
    for (;;) {
        Finished finished;
        const pid_t done = ::wait4(pid, &finished.status, WNOHANG, &finished.usage);
        if (done == pid || (done < 0 && errno != EINTR))
            return finished;
        if (std::chrono::steady_clock::now() >= end)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ::kill(pid, SIGKILL);
    Finished finished;
    // A killed process is gone at once; the wait is bounded all the same.
    for (int tries = 0; tries < 1000; ++tries) {
        const pid_t done = ::wait4(pid, &finished.status, WNOHANG, &finished.usage);
        if (done == pid || (done < 0 && errno != EINTR))
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return finished;
}

std::vector<std::string> environmentWith(const std::vector<std::string>& overrides) {
    std::vector<std::string> result;
    auto nameOf = [](const std::string& var) { return var.substr(0, var.find('=')); };
    for (char** var = environ; *var; ++var) {
        const std::string entry = *var;
        const bool replaced = std::any_of(overrides.begin(), overrides.end(),
                                          [&](auto& o) { return nameOf(o) == nameOf(entry); });
        if (!replaced)
            result.push_back(entry);
    }
    for (const std::string& o : overrides) {
        if (o.size() > nameOf(o).size() + 1)
            result.push_back(o);
    }
    return result;
}

std::string describeStatus(int status) {
    if (status < 0)
        return "lost";
    if (WIFEXITED(status))
        return "exit code " + std::to_string(WEXITSTATUS(status));
    if (WIFSIGNALED(status))
        return std::string("killed by signal ") + std::to_string(WTERMSIG(status));
    return "status " + std::to_string(status);
}

double runQueueWaitMs(pid_t pid) {
    double total = 0;
    std::error_code error;
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    for (const auto& task : std::filesystem::directory_iterator(tasks, error)) {
        std::ifstream schedstat(task.path() / "schedstat");
        double runNs = 0;
        double waitNs = 0;
        if (schedstat >> runNs >> waitNs)
            total += waitNs / 1e6;
    }
    return total;
}

} // namespace tivrel::bench
