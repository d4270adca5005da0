#pragma once

#include "platform/Mouse.h"
#include "platform/PointerWatch.h"
#include "platform/StartStopKey.h"
#include "platform/WindowStacking.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class QWidget;

namespace tivrel {

class SettingsStore;

// What a Linux display server gives the program beyond what every Linux session shares: the
// clicks, the pointer watch and the window's place in the stacking order. Each kind of
// session lives in a folder of its own (x11/) and registers itself in its CMake lines;
// LinuxNativePlatform connects to one when the program starts.
class DisplaySession {
public:
    virtual ~DisplaySession() = default;
    // The Qt platform plugin that draws the windows on this session ("xcb").
    virtual QByteArray qtPlatform() const = 0;
    // Qt runs now, on that plugin.
    virtual void toolkitStarted() {}
    virtual Mouse& mouse() = 0;
    virtual PointerWatch& pointerWatch() = 0;
    // A descriptor that turns readable when the pointer watch may have news for the click
    // thread; -1 where the thread has only its deadlines to wait for.
    virtual int pointerNews() const = 0;
    virtual WindowStacking& stacking() = 0;
    // The start/stop key, where the session can give the program a key of its own.
    virtual StartStopKey& startStopKey() { return m_noKey; }
    // Where the session keeps what the user granted, for later starts to ask no more.
    virtual void keepGrantsIn(SettingsStore& settings) { (void)settings; }
    // The system's own dialogs open over this window while it is shown.
    virtual void setDialogOwner(QWidget* owner) { (void)owner; }

private:
    NoStartStopKey m_noKey;
};

// The variables that name the desktop's display servers.
struct SessionEnvironment {
    QString waylandDisplay; // WAYLAND_DISPLAY
    QString display;        // DISPLAY
    QString sessionType;    // XDG_SESSION_TYPE: "x11", "wayland", "tty", ...
    static SessionEnvironment current();
};

// A kind of display session this build has.
struct DisplaySessionKind {
    QString name; // as XDG_SESSION_TYPE names it
    // Whether the environment names a server of this kind.
    std::function<bool(const SessionEnvironment&)> offered;
    // nullptr and a message for the user where the server cannot be reached or lacks what
    // the program needs.
    std::function<std::unique_ptr<DisplaySession>(QString* error)> connect;
};

// The kinds this build has, in the order CMake registered them (generated).
const std::vector<DisplaySessionKind>& builtDisplaySessions();

// The kinds to try, best first: the desktop's own kind (XDG_SESSION_TYPE; a Wayland display
// where that is not set), then any other the environment offers.
std::vector<const DisplaySessionKind*> sessionsToTry(const SessionEnvironment& environment,
                                                     const std::vector<DisplaySessionKind>& kinds);
// Why no kind could be tried.
QString noSessionMessage(const SessionEnvironment& environment);

// The first session of sessionsToTry that connects; nullptr and the first one's message
// where none does.
std::unique_ptr<DisplaySession> connectDisplaySession(const SessionEnvironment& environment,
                                                      const std::vector<DisplaySessionKind>& kinds,
                                                      QString* error);

} // namespace tivrel
