#include "platform/TickSchedule.h"

#include <algorithm>

namespace tivrel {

TickSchedule::TickSchedule(std::int64_t start, std::int64_t interval)
    : m_start(start), m_interval(std::max<std::int64_t>(interval, 1)),
      m_lastTick(start - m_interval) {}

std::int64_t TickSchedule::nextTickAt() const {
    const std::int64_t due = m_start + m_next * m_interval;
    return std::max(due, m_lastTick + m_interval / 2);
}

void TickSchedule::ticked(std::int64_t now) {
    const std::int64_t due = m_start + m_next * m_interval;
    m_lastTick = now;
    if (now - due > kRestartAfter) {
        // Too far behind to catch up unnoticed: the schedule starts again from here.
        m_start = now;
        m_next = 1;
        return;
    }
    ++m_next;
}

} // namespace tivrel
