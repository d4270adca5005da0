#pragma once

#include "platform/Dialogs.h"
#include "platform/Mouse.h"
#include "platform/TickSource.h"
#include "platform/TimeOfDay.h"
#include "platform/WindowStacking.h"

#include <functional>
#include <memory>

namespace tivrel {

// The operations the program needs from the system, gathered so that windows and logic
// receive them in one piece: the real backends in the program, fakes in the tests.
struct Platform {
    Mouse& mouse;
    Dialogs& dialogs;
    TimeOfDay& timeOfDay;
    WindowStacking& stacking;
    std::function<std::unique_ptr<TickSource>()> newTickSource;
};

} // namespace tivrel
