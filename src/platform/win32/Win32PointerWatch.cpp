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
    m_start = place();
}

bool Win32PointerWatch::moved() {
    // Any change of place counts, however the coordinates add up.
    return place() != m_start;
}

} // namespace tivrel
