#pragma once

#include "platform/PointerWatch.h"
#include "platform/linux/CursorTracker.h"

#include <QString>
#include <QtGlobal>

#include <atomic>
#include <chrono>

struct pw_thread_loop;
struct pw_context;
struct pw_core;
struct pw_stream;

namespace tivrel {

// The pointer watch of desktops that tell a program where the pointer is only through a
// screen cast (GNOME): a PipeWire stream of the monitor whose buffers carry the cursor as
// metadata (SPA_META_Cursor). The first valid place after begin() is the start place; any
// later different place is a move, latched until the next begin(). A move and straight back
// between two frames goes unseen. Where the first frame is late, the last place seen before
// the run (at least the one of the frame connectStream waits for) is the start place: a move
// meanwhile then stops the run at once rather than going unseen. The stream runs only during
// a run: between runs it is inactive, and the compositor draws nothing for it.
class ScreenCastPointerWatch final : public PointerWatch {
public:
    // The highest frame rate asked of the compositor while a window repaints (each frame is
    // the whole monitor); a cursor move between two frames waits for the next. Measured on
    // headless mutter 43 with a window drawing every frame (mutter 35-39 % of a core without
    // the stream): 60 fps cost 73 % and stopped a run 20 ms after a move (median; 42 at
    // worst), 30 fps 61 % and 27 ms (52 at worst), 15 fps 59 % and 56 ms (115 at worst).
    static constexpr int kMaxFramesPerSecond = 30;
    // How long begin() waits for the stream's first frame, the start place (30 ms on an idle
    // machine, over 500 ms now and then on a loaded one).
    static constexpr std::chrono::milliseconds kFirstFrameWait{2000};
    // How long connectStream waits for the link to the compositor's stream, and then for one
    // frame; once, after the grant, so a loaded machine is given more room.
    static constexpr std::chrono::milliseconds kConnectWait{5000};

    ScreenCastPointerWatch();
    ~ScreenCastPointerWatch() override;
    ScreenCastPointerWatch(const ScreenCastPointerWatch&) = delete;
    ScreenCastPointerWatch& operator=(const ScreenCastPointerWatch&) = delete;

    int news() const override { return m_tracker.news(); }

    // The stream `nodeId` on the PipeWire connection `pipewireFd` (ScreenCast's
    // OpenPipeWireRemote), which the watch takes over, closed on failure too. On the UI
    // thread, after the portal session has started, between runs; a stream connected before
    // is let go. False and a message on failure, a stream that brings no frame included:
    // the watch then sees nothing.
    bool connectStream(int pipewireFd, quint32 nodeId, QString* error);

    void begin() override;
    bool moved() override { return m_tracker.moved(); }
    bool movedSoFar() override { return moved(); }
    void end() override;
    bool seesMoves() const override { return m_connected; }

    // Valid cursor places seen since the stream was connected (for the tests' settle).
    quint64 placesSeen() const { return m_placesSeen.load(std::memory_order_acquire); }

private:
    struct Listeners;
    // On PipeWire's thread.
    void onBuffers();
    void onFormat();
    void place(int x, int y);
    void disconnectStream();
    void noPlace();

    CursorTracker m_tracker;
    pw_thread_loop* m_loop = nullptr;
    pw_context* m_context = nullptr;
    pw_core* m_core = nullptr;
    pw_stream* m_stream = nullptr;
    Listeners* m_listeners = nullptr;
    bool m_connected = false;

    // Under the loop's lock.
    // The stream's own node is up (paused or streaming); only a frame shows that it is linked
    // to the compositor's.
    bool m_nodeUp = false;
    bool m_failed = false;
    bool m_watching = false;
    bool m_firstFrame = false; // since begin()
    bool m_startLate = false;  // the first frame came late or without a cursor
    bool m_haveLast = false;   // the last place the stream told, in any run
    int m_lastX = 0;
    int m_lastY = 0;

    std::atomic<quint64> m_placesSeen = 0;
};

} // namespace tivrel
