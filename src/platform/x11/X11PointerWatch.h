#pragma once

#include "platform/PointerWatch.h"

#include <QPoint>
#include <QString>

#include <atomic>
#include <cstdint>
#include <memory>

struct xcb_connection_t;

namespace tivrel {

// Sees every touch of the pointer as it happens: during a run the server sends XInput 2 raw
// motion events of the master pointers to the mouse's own connection, for any motion of any
// device, a move and straight back included, and whatever other program holds a grab; and
// the place that motion and crossing events report, for a program that warps the pointer
// without moving a device. A look reads what has arrived and asks the server nothing. The
// program's own clicks make no motion.
class X11PointerWatch final : public PointerWatch {
public:
    // On the mouse's connection, which must outlive the watch. nullptr and a message for the
    // user where the server has no XInput 2.1 or later.
    static std::unique_ptr<X11PointerWatch> open(xcb_connection_t* connection, std::uint32_t root,
                                                 QString* error);

    void begin() override;
    bool moved() override;
    // What XCB has queued already: a click's answer reads whatever came before it.
    bool movedSoFar() override;
    // The connection itself: its events are the watch's news.
    int news() const override;
    void end() override;

private:
    X11PointerWatch(xcb_connection_t* connection, std::uint32_t root, std::uint8_t opcode);
    // Takes every event `next` gives; true once one of them is this run's motion.
    template <typename Next> bool take(Next next);

    xcb_connection_t* m_connection;
    std::uint32_t m_root;
    std::uint8_t m_opcode; // XInput's
    // The request that asked for this run's motion: an event the server sent before it is
    // an earlier run's.
    std::uint32_t m_since = 0;
    // Where the pointer was when the run began, and the deepest window under it then.
    QPoint m_start;
    std::uint32_t m_under = 0;
    std::atomic<bool> m_moved{false};
};

} // namespace tivrel
