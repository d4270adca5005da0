#pragma once

#include "platform/InstanceLock.h"

#include <QLockFile>
#include <QString>

namespace tivrel {

// One lock file per user in the runtime folder ($XDG_RUNTIME_DIR, else the temp folder).
class LockFileInstanceLock final : public InstanceLock {
public:
    explicit LockFileInstanceLock(const QString& path = defaultPath());
    static QString defaultPath();
    bool acquire() override;

private:
    QLockFile m_lock;
};

} // namespace tivrel
