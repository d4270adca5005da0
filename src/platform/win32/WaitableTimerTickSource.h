#pragma once

#include "platform/TickSource.h"

#include <memory>

class QWinEventNotifier;

namespace tivrel {

// Ticks on a fixed schedule from a periodic waitable timer (high resolution where the system
// has it, Windows 10 1803 and later), watched from the UI thread's event loop. The timer's
// n-th expiry is due at enable + n x interval; however many pass while the loop is busy, one
// tick is delivered, and disabling drops what has not been delivered.
class WaitableTimerTickSource final : public TickSource {
public:
    WaitableTimerTickSource();
    ~WaitableTimerTickSource() override;

    // False when the system gave no timer; the source then never ticks.
    bool isValid() const { return m_timer != nullptr; }

    void setInterval(int milliseconds) override;
    int interval() const override { return m_interval; }
    void setEnabled(bool enabled) override;
    bool isEnabled() const override { return m_enabled; }

private:
    void onSignalled();

    void* m_timer = nullptr;
    int m_interval = 0;
    bool m_enabled = false;
    std::unique_ptr<QWinEventNotifier> m_notifier;
};

} // namespace tivrel
