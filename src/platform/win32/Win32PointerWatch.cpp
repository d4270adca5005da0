#include "platform/win32/Win32PointerWatch.h"

#include <QtGlobal>

#include <windows.h>

namespace tivrel {

std::uint64_t Win32PointerWatch::place() {
    POINT point{};
    if (GetCursorPos(&point)) {
        const std::uint64_t word =
            std::uint64_t(std::uint32_t(point.x)) << 32 | std::uint32_t(point.y);
        m_last = word;
        return word;
    }
    // On a secure desktop the pointer cannot be read: the last place read stands.
    if (!m_readFailed.exchange(true))
        qWarning("Tivrel: GetCursorPos failed (error %lu)", GetLastError());
    return m_last;
}

void Win32PointerWatch::begin() {
    m_moved = false;
    m_start = place();
}

// Any change of place counts, however the coordinates add up, and a run that saw the pointer
// away stays moved when it comes back.
bool Win32PointerWatch::moved() {
    if (!m_moved && place() != m_start)
        m_moved = true;
    return m_moved;
}

} // namespace tivrel
