#include "platform/linux/CursorTracker.h"

#include <QtGlobal>

#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

namespace tivrel {

CursorTracker::CursorTracker() : m_news(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {
    if (m_news < 0)
        qWarning("Tivrel: no eventfd for the pointer watch (%s)", std::strerror(errno));
}

CursorTracker::~CursorTracker() {
    if (m_news >= 0)
        ::close(m_news);
}

void CursorTracker::begin() {
    std::lock_guard lock(m_lock);
    std::uint64_t unread = 0;
    if (m_news >= 0)
        (void)!::read(m_news, &unread, sizeof unread);
    m_watching = true;
    m_hasStart = false;
    m_moved = false;
}

void CursorTracker::end() {
    std::lock_guard lock(m_lock);
    m_watching = false;
}

void CursorTracker::setStart(int x, int y) {
    std::lock_guard lock(m_lock);
    m_hasStart = true;
    m_startX = x;
    m_startY = y;
}

CursorTracker::Place CursorTracker::tell(int x, int y) {
    std::lock_guard lock(m_lock);
    if (!m_watching)
        return Place::Ignored;
    if (!m_hasStart) {
        m_hasStart = true;
        m_startX = x;
        m_startY = y;
        return Place::Start;
    }
    if (x == m_startX && y == m_startY)
        return Place::Same;
    if (!m_moved) {
        m_moved = true;
        const std::uint64_t one = 1;
        if (m_news >= 0 && ::write(m_news, &one, sizeof one) < 0)
            qWarning("Tivrel: the pointer watch could not wake the click thread (%s)",
                     std::strerror(errno));
    }
    return Place::Moved;
}

bool CursorTracker::hasStart() const {
    std::lock_guard lock(m_lock);
    return m_hasStart;
}

bool CursorTracker::moved() const {
    std::lock_guard lock(m_lock);
    return m_moved;
}

} // namespace tivrel
