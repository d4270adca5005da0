#include "platform/win32/NamedMutexInstanceLock.h"

#include <QtGlobal>

#include <windows.h>

namespace tivrel {

NamedMutexInstanceLock::~NamedMutexInstanceLock() {
    if (m_mutex)
        CloseHandle(m_mutex);
}

bool NamedMutexInstanceLock::acquire() {
    if (m_mutex)
        return true;
    // Only the name counts: whoever made the mutex first is the running copy, and nobody
    // ever waits on it.
    HANDLE mutex = CreateMutexW(nullptr, FALSE, reinterpret_cast<LPCWSTR>(m_name.utf16()));
    const DWORD error = GetLastError();
    if (!mutex) {
        // Access denied: a copy running as another user (run as) in this session made it.
        if (error == ERROR_ACCESS_DENIED)
            return false;
        // No copy to refuse for: better a second copy than none at all.
        qWarning("Tivrel: CreateMutex failed (error %lu); not checking for another copy", error);
        return true;
    }
    if (error == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        return false;
    }
    m_mutex = mutex;
    return true;
}

} // namespace tivrel
