#pragma once

// A virtual X server of one's own, for the X11 tests, the benchmark and the screenshots: Xvfb
// on a display it picks itself (-displayfd, so several build trees or another X server never
// collide with it), and on request a window manager (openbox) and a tray host (trayer). Each
// step returns once what it started is ready by the server's own word (it accepts clients,
// the window manager announces itself on the root window, the tray host owns the tray
// selection), never after a fixed pause.

#include "ChildProcess.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <chrono>
#include <functional>
#include <memory>

namespace tivrel::test {

class XSession {
public:
    // Logs go into `folder`, into a temporary folder of the session's own when none is named.
    explicit XSession(const QString& folder = {});
    // Stops what is still running, unless the session was detached.
    ~XSession();
    XSession(const XSession&) = delete;
    XSession& operator=(const XSession&) = delete;

    // What starts after this call outlives this object and its starter: for CTest's set-up
    // step, which leaves the session to the tests that follow it.
    void setDetached(bool detached) { m_detached = detached; }

    // `screen` is Xvfb's WIDTHxHEIGHTxDEPTH. On failure says why in error, with the logs.
    bool startServer(QString* error, const QString& screen = QStringLiteral("1280x1024x24"));
    bool startWindowManager(QString* error);
    // At the top right edge, as wide as its icons ask, or `widthPixels` wide. A tray host
    // that runs already is left alone.
    bool startTrayHost(QString* error, int widthPixels = 0);
    // Kills the tray host and waits until it is gone.
    bool killTrayHost(QString* error);
    // Clients before the server they are connected to.
    void stop();

    // ":N", once the server runs.
    const QByteArray& display() const { return m_display; }
    const QString& folder() const { return m_folderPath; }
    ChildProcess& server() { return *m_server; }
    ChildProcess* windowManager() { return m_windowManager.get(); }
    ChildProcess* trayHost() { return m_tray.get(); }
    // "name pid" per running process, in start order: xvfb, openbox, trayer.
    QString processTable() const;
    // The tail of every log, for messages.
    QString logs() const;

    static constexpr std::chrono::seconds kReadyTimeout{30};

private:
    std::unique_ptr<ChildProcess> startChild(const QStringList& command, const QString& name,
                                             const QString& outputFile, QString* error);
    // Waits until ready() holds; false, with the reason in error, when `child` ends first or
    // the time runs out.
    bool waitReady(ChildProcess& child, const std::function<bool()>& ready, const QString& what,
                   QString* error);

    QTemporaryDir m_ownFolder;
    QString m_folderPath;
    bool m_detached = false;
    std::unique_ptr<ChildProcess> m_server;
    std::unique_ptr<ChildProcess> m_windowManager;
    std::unique_ptr<ChildProcess> m_tray;
    QByteArray m_display;
    int m_trayStarts = 0;
};

} // namespace tivrel::test
