#pragma once

#include "SwaySession.h"
#include "TestPointer.h"
#include "TestSession.h"

#include <QByteArray>

#include <optional>

namespace tivrel::test {

// The program driver's session on a headless sway of its own: the pointer through a virtual
// pointer of the test's own, keys through wtype (a virtual keyboard), windows and focus
// through sway's IPC (swaymsg). Sway's tree names no window's parent: a process's first
// window is its normal one, any later one a box of it (the main window's boxes). Menus
// (xdg popups) and tray icons are not in the tree, so the tray tests stay X11's.
class WaylandTestSession final : public TestSession {
public:
    bool start(QString* error) override;
    void stop() override;
    QString name() const override { return m_sway.socket(); }
    void addTo(QProcessEnvironment& environment) const override;
    bool movePointer(QPoint onScreen) const override;
    bool click(QPoint onScreen, int button) const override;
    bool keys(const QStringList& keys) const override;
    bool activate(unsigned long window) const override;
    std::vector<WindowInfo> windowsOf(qint64 pid) const override;
    const QString& lastFailure() const override { return m_lastFailure; }

    SwaySession& sway() { return m_sway; }

private:
    // Runs a tool against the session; its standard output, or nothing with lastFailure.
    std::optional<QByteArray> run(const QString& tool, const QStringList& arguments) const;

    SwaySession m_sway;
    // A keyboard that stays for the session's length: each wtype's keyboard goes with it,
    // and a seat whose last keyboard went and came back hands Qt keys that no longer reach
    // its shortcuts (ENTER, the run's key).
    ChildProcess m_keyboard;
    mutable TestPointer m_pointer;
    mutable QString m_lastFailure;
};

} // namespace tivrel::test
