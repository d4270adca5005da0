#pragma once

namespace tivrel {

// Tells whether another copy of the program runs for this user. The first copy holds the
// lock until it ends; a lock left by a killed copy does not count.
class InstanceLock {
public:
    virtual ~InstanceLock() = default;
    // True when this copy now holds the lock; false when another live copy holds it.
    virtual bool acquire() = 0;
};

} // namespace tivrel
