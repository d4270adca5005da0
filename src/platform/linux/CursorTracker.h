#pragma once

#include <mutex>

namespace tivrel {

// What a pointer watch that is told the pointer's place (rather than of its motion) keeps
// for a run: the start place, a move latched once a different place is told, and an eventfd
// that wakes the click thread at that move. Places may be told on any thread.
class CursorTracker {
public:
    enum class Place { Start, Same, Moved, Ignored };

    CursorTracker();
    ~CursorTracker();
    CursorTracker(const CursorTracker&) = delete;
    CursorTracker& operator=(const CursorTracker&) = delete;

    // Turns readable at a run's move; begin() drains it. -1 where the system gave none.
    int news() const { return m_news; }

    // A run begins: its first place told is the start, and the last run's move is forgotten.
    void begin();
    // The run is over: places told from now on count for nothing.
    void end();
    // The start place, told outright (a watch whose first report came late has a better one).
    void setStart(int x, int y);
    // A place the system told: the start where there is none yet, else the same place or a
    // move.
    Place tell(int x, int y);

    bool hasStart() const;
    bool moved() const;

private:
    const int m_news;
    mutable std::mutex m_lock;
    bool m_watching = false;
    bool m_hasStart = false;
    bool m_moved = false;
    int m_startX = 0;
    int m_startY = 0;
};

} // namespace tivrel
