#pragma once

#include <functional>

namespace tivrel {

// Requests from the system to end the program (a termination signal, the end of the
// session), delivered on the UI thread.
class TerminationSignals {
public:
    virtual ~TerminationSignals() = default;
    void onTerminate(std::function<void()> handler) { m_handler = std::move(handler); }

protected:
    void deliverTerminate() {
        if (m_handler)
            m_handler();
    }

private:
    std::function<void()> m_handler;
};

} // namespace tivrel
