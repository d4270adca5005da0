#pragma once

#include <cstdint>

namespace tivrel::realtimeKit {

// Asks RealtimeKit, the system bus service that hands real-time scheduling to desktop users'
// programs (audio servers ask it too), to run one thread of this process in a real-time
// class at `priority`. It requires a process to cap its real-time CPU time first, so this
// lowers RLIMIT_RTTIME to what the service allows. False where there is no system bus, no
// RealtimeKit, or it refused; each exchange with the bus waits at most half a second.
bool makeThreadRealtime(std::uint64_t threadId, std::uint32_t priority);

} // namespace tivrel::realtimeKit
