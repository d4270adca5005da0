#pragma once

// The timers of this system, for the tests that hold every system's timers to one rule.
#include "platform/linux/DeadlineClickTimer.h"
#include "platform/linux/TimerFdTickSource.h"

namespace tivrel::test {
using SystemClickTimer = DeadlineClickTimer;
using SystemTickSource = TimerFdTickSource;
} // namespace tivrel::test
