#pragma once

// The test session on an X server: the display CTest's set-up started (or DISPLAY), a server
// of a test's own, or a whole session of its own (Xvfb, openbox, trayer through XSession).
// Input goes through XTEST and xdotool, windows are read from the X tree. Beside the session
// it offers what only X has, for the tests of X behaviour: xprop, any X tool, focus without
// a window manager. Copies share the session they were made from.

#include "TestSession.h"
#include "WindowTree.h"

#include <QByteArray>

#include <chrono>
#include <memory>

namespace tivrel::test {

class XSession;

struct ToolRun {
    bool finished = false; // false: it did not end in time and was killed
    int exitCode = -1;
    QByteArray output;
    QByteArray errors;

    bool succeeded() const { return finished && exitCode == 0; }
};

class X11TestSession final : public TestSession {
public:
    // On a display someone else runs (":N"; DISPLAY when empty): start only checks that it
    // takes clients, stop leaves it running.
    explicit X11TestSession(QByteArray display = {});
    // Xvfb, openbox and trayer of its own, with their logs in `logFolder`; stop ends them, as
    // does the last copy's end.
    static X11TestSession ownSession(const QString& logFolder);

    bool start(QString* error) override;
    void stop() override;
    QString name() const override { return QString::fromLatin1(m_display); }
    void addTo(QProcessEnvironment& environment) const override;
    bool movePointer(QPoint onScreen) const override;
    bool click(QPoint onScreen, int button) const override;
    bool keys(const QStringList& keys) const override;
    bool activate(unsigned long window) const override;
    std::vector<WindowInfo> windowsOf(qint64 pid) const override;
    const QString& lastFailure() const override { return m_lastFailure; }

    // ":N", once started.
    const QByteArray& display() const { return m_display; }
    DisplayLook look(qint64 pid) const { return lookAt(pid, m_display); }
    // Runs an X client on the display, killed when it outlasts the timeout.
    ToolRun run(const QString& tool, const QStringList& arguments,
                std::chrono::milliseconds timeout = std::chrono::seconds(30)) const;
    // Gives the window the keyboard focus directly, for a display without a window manager.
    bool focus(unsigned long window) const;
    // xprop's view of one property of the window, "" when xprop failed.
    QString xprop(unsigned long window, const QString& property) const;

private:
    bool runOk(const QString& tool, const QStringList& arguments) const;

    QByteArray m_display;
    std::shared_ptr<XSession> m_own;
    mutable QString m_lastFailure;
};

} // namespace tivrel::test
