#pragma once

#include "platform/TickSchedule.h"
#include "platform/TickSource.h"
#include "platform/win32/HighResolutionTimer.h"

#include <memory>
#include <optional>

class QWinEventNotifier;

namespace tivrel {

// Ticks on the UI thread when a high-resolution waitable timer, watched by its event loop,
// reaches each tick's time in a TickSchedule begun at enable: late ticks are made up without
// bunching, and disabling drops what has not been delivered.
class WaitableTimerTickSource final : public TickSource {
public:
    WaitableTimerTickSource();
    ~WaitableTimerTickSource() override;

    // False when the system gave no timer; the source then never ticks.
    bool isValid() const { return m_timer.isValid(); }

    void setInterval(int milliseconds) override;
    int interval() const override { return m_interval; }
    void setEnabled(bool enabled) override;
    bool isEnabled() const override { return m_enabled; }

private:
    void onSignalled();

    HighResolutionTimer m_timer;
    int m_interval = 0;
    bool m_enabled = false;
    std::optional<TickSchedule> m_schedule;
    std::unique_ptr<QWinEventNotifier> m_notifier;
};

} // namespace tivrel
