#pragma once

#include <cstdint>

namespace tivrel {

// When the ticks of a periodic timer are due, on a monotonic clock in nanoseconds. The n-th
// tick is due at start + n x interval, so the rate over a run stays exact. A late tick is
// made as soon as it may, and the ticks after it keep their own due times, but no tick comes
// closer than half an interval to the one before: a late run catches up at most at twice its
// speed, and a clicked program never sees two clicks as a double click. A tick made more
// than kRestartAfter behind its due time starts the schedule again from that tick.
class TickSchedule {
public:
    static constexpr std::int64_t kRestartAfter = 250'000'000;

    TickSchedule(std::int64_t start, std::int64_t interval);

    // The earliest time the next tick may be made.
    std::int64_t nextTickAt() const;
    // Records the tick made at `now` (at or after nextTickAt()).
    void ticked(std::int64_t now);

    std::int64_t interval() const { return m_interval; }

private:
    std::int64_t m_start;
    std::int64_t m_interval;
    std::int64_t m_next = 1; // the index of the next tick since m_start
    std::int64_t m_lastTick;
};

} // namespace tivrel
