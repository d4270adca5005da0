#pragma once

// A process the tests start (the program, an X server, a tray host) and watch from outside:
// how it ended (exit code, or the signal that killed it and whether it dumped core), with its
// output in files, so that a chatty process never blocks on a full pipe. A child still
// running when its object goes is killed, and it dies with the test process too.

#include <QString>
#include <QStringList>

#include <chrono>

namespace tivrel::test {

class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

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
    // "running", "exited with 0", "killed by signal 11 (Segmentation fault), core dumped"
    QString describeEnd() const;

private:
    qint64 m_pid = 0;
    bool m_ended = false;
    bool m_signalled = false;
    bool m_coreDumped = false;
    int m_exitCode = -1;
    int m_signal = 0;
};

} // namespace tivrel::test
