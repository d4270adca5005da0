#pragma once

#include "platform/TerminationSignals.h"

#include <memory>

class QSocketNotifier;

namespace tivrel {

// SIGTERM, SIGINT and SIGHUP, and the end of the desktop session, turned into one request on
// the UI thread (a signal handler only writes a byte to a pipe).
class PosixTerminationSignals final : public TerminationSignals {
public:
    PosixTerminationSignals();
    ~PosixTerminationSignals() override;

private:
    int m_pipe[2] = {-1, -1};
    std::unique_ptr<QSocketNotifier> m_notifier;
};

} // namespace tivrel
