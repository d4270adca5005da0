#include "platform/qt/LockFileInstanceLock.h"

#include <QDir>
#include <QStandardPaths>

namespace tivrel {

LockFileInstanceLock::LockFileInstanceLock(const QString& path) : m_lock(path) {
    // A running copy may hold the lock for days: only a lock whose process is gone is stale.
    m_lock.setStaleLockTime(0);
}

QString LockFileInstanceLock::defaultPath() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    return folder + QStringLiteral("/tivrel-%1.lock").arg(qEnvironmentVariable("USER"));
}

bool LockFileInstanceLock::acquire() {
    if (m_lock.isLocked())
        return true;
    // tryLock takes over a lock left behind by a copy that is gone, under QLockFile's own
    // guard; removing it from here could delete a lock another copy has only just taken.
    return m_lock.tryLock(0);
}

} // namespace tivrel
