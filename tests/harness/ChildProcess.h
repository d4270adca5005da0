#pragma once

// A process the tests and the benchmark start (the program, an X server, a tray host, xdotool)
// and watch from outside: how it ended (exit code, or the signal that killed it and whether it
// dumped core) and what it cost, with its output in files, so that a chatty process never
// blocks on a full pipe. A child still running when its object goes is killed, and it dies
// with its starter too, unless it was started detached.

#include <QString>
#include <QStringList>

#include <sys/resource.h>

#include <chrono>

namespace tivrel::test {

class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // A detached child runs in a session of its own and outlives its starter and this object:
    // for the X session that CTest's set-up step leaves running for the tests after it.
    void setDetached(bool detached) { m_detached = detached; }

    // Runs command[0] (looked up on PATH) with the arguments after it and exactly the given
    // environment ("NAME=value"); standard output and error go to the files named.
    bool start(const QStringList& command, const QStringList& environment,
               const QString& outputFile, const QString& errorFile, QString* error);

    qint64 pid() const { return m_pid; }
    bool started() const { return m_pid > 0; }
    // Collects the child if it has ended; true once it has.
    bool hasEnded();
    bool waitForEnd(std::chrono::milliseconds timeout);
    bool sendSignal(int signal) const;
    // Kills a child that still runs and waits for it.
    void kill();

    // Valid once hasEnded(): how it ended.
    bool exitedNormally() const { return m_ended && !m_signalled; }
    int exitCode() const { return m_exitCode; }
    int terminatingSignal() const { return m_signalled ? m_signal : 0; }
    // Valid once hasEnded(): user + system time and peak resident memory of the child itself.
    double cpuMicroseconds() const { return m_cpuMicroseconds; }
    long peakRssKiB() const { return m_peakRssKiB; }
    // "running", "exited with 0", "killed by signal 11 (Segmentation fault), core dumped"
    QString describeEnd() const;

private:
    void collected(int status, const rusage& usage);

    qint64 m_pid = 0;
    bool m_detached = false;
    bool m_ended = false;
    bool m_signalled = false;
    bool m_coreDumped = false;
    int m_exitCode = -1;
    int m_signal = 0;
    double m_cpuMicroseconds = 0;
    long m_peakRssKiB = 0;
};

} // namespace tivrel::test
