#pragma once

// The timers of this system, for the tests that hold every system's timers to one rule.
#include "platform/win32/WaitableClickTimer.h"
#include "platform/win32/WaitableTimerTickSource.h"

namespace tivrel::test {
using SystemClickTimer = WaitableClickTimer;
using SystemTickSource = WaitableTimerTickSource;
} // namespace tivrel::test
