#pragma once

#include "platform/TerminationSignals.h"

namespace tivrel {

// The end of the user's session (logoff, shutdown), as Qt reports it, taken as a request to
// end the program without asking.
class QtSessionEnd final : public TerminationSignals {
public:
    QtSessionEnd();
};

} // namespace tivrel
