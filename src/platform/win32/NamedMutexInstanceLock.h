#pragma once

#include "platform/InstanceLock.h"

#include <QString>

namespace tivrel {

// One copy per logon session: a named mutex in the session's own namespace. The system
// closes it with the process that made it, so a copy that was killed leaves nothing behind.
class NamedMutexInstanceLock final : public InstanceLock {
public:
    static inline const QString kDefaultName = QStringLiteral("Local\\Tivrel.Instance");

    explicit NamedMutexInstanceLock(QString name = kDefaultName) : m_name(std::move(name)) {}
    ~NamedMutexInstanceLock() override;
    NamedMutexInstanceLock(const NamedMutexInstanceLock&) = delete;
    NamedMutexInstanceLock& operator=(const NamedMutexInstanceLock&) = delete;

    bool acquire() override;

private:
    QString m_name;
    void* m_mutex = nullptr;
};

} // namespace tivrel
