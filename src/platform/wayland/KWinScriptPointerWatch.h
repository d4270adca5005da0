#pragma once

#include "platform/PointerWatch.h"
#include "platform/linux/CursorTracker.h"

#include <QDBusConnection>
#include <QString>
#include <QTemporaryFile>
#include <QThread>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>

namespace tivrel {

class KWinPointerReports;

// The pointer watch on KWin, where no Wayland protocol tells a program where the pointer is
// but KWin's own scripts may know: for each run a small script is loaded into KWin (over
// org.kde.kwin.Scripting) that reports the pointer's place over D-Bus at once, and again on
// its first change, and then stops listening. Between runs no script is loaded and nothing
// is reported. The reports arrive on a thread of the watch's own, so a move reaches the click
// thread (through news()) however busy the UI thread is.
class KWinScriptPointerWatch final : public PointerWatch {
public:
    // `bus`: the session bus that KWin is on; the reports come in on this connection.
    explicit KWinScriptPointerWatch(const QDBusConnection& bus);
    ~KWinScriptPointerWatch() override;
    KWinScriptPointerWatch(const KWinScriptPointerWatch&) = delete;
    KWinScriptPointerWatch& operator=(const KWinScriptPointerWatch&) = delete;

    int news() const override { return m_tracker.news(); }

    // Loads the run's script and returns once it told where the pointer is: that is the
    // start place.
    void begin() override;
    bool moved() override { return m_tracker.moved(); }
    bool movedSoFar() override { return moved(); }
    // Unloads the run's script.
    void end() override;
    // False where the script could not be loaded (the last begin() said why in the log).
    bool seesMoves() const override { return m_sees; }

    // Returns once every report KWin sent before now has been read: a round trip to KWin,
    // then one through the reports' thread. What a test waits for after a move.
    void sync();

    // A report from the script, on the reports' thread.
    void reported(int run, int x, int y);

private:
    bool load(int run, QString* error);
    void unload();

    QDBusConnection m_bus;
    QTemporaryFile m_script;
    QThread m_thread;
    std::unique_ptr<KWinPointerReports> m_reports;
    bool m_sees = false;
    bool m_loaded = false;
    bool m_failureLogged = false;

    CursorTracker m_tracker;
    // The run the reports count for, and the last run whose start place the script told.
    std::mutex m_startLock;
    std::condition_variable m_started;
    int m_run = 0;
    int m_startedRun = 0;
};

} // namespace tivrel
