// The tracker that the place-told watches (GNOME's screen cast, KWin's script) stand on,
// without a compositor: a watch that tells the tracker the place at each begin and at each
// move, as KWin's script does, keeps every watch's contract, and its news wakes the click
// thread at a move.
#include "platform/linux/CursorTracker.h"
#include "fakes/FakeMouse.h"
#include "platform/PointerWatchContract.h"
#include "support/WatchedRun.h"

namespace tivrel::test {
namespace {

class ToldPlaceWatch final : public PointerWatch {
public:
    void begin() override {
        m_tracker.begin();
        m_tracker.tell(m_x, m_y);
    }
    bool moved() override { return m_tracker.moved(); }
    void end() override { m_tracker.end(); }
    int news() const override { return m_tracker.news(); }

    void place(int x, int y) {
        m_x = x;
        m_y = y;
        m_tracker.tell(x, y);
    }

private:
    CursorTracker m_tracker;
    int m_x = 0;
    int m_y = 0;
};

class ToldPlaceRig final : public PointerWatchRig {
public:
    bool ready() const override { return m_watch.news() >= 0; }
    PointerWatch& watch() override { return m_watch; }
    Mouse& mouse() override { return m_mouse; }
    void movePointer(int x, int y) override { m_watch.place(x, y); }
    void settle() override {}
    bool seesEveryMotion() const override { return true; }
    int news() const { return m_watch.news(); }
    QString error() const { return QStringLiteral("no eventfd"); }

private:
    ToldPlaceWatch m_watch;
    FakeMouse m_mouse;
};

TIVREL_POINTER_WATCH_CONTRACT(CursorTrackerContract, ToldPlaceRig);

class CursorTrackerRun : public WatchedRun<ToldPlaceRig> {};
TIVREL_WATCHED_RUN_CASES(CursorTrackerRun)

} // namespace
} // namespace tivrel::test
