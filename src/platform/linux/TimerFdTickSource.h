#pragma once

#include "platform/TickSchedule.h"
#include "platform/TickSource.h"

#include <memory>
#include <optional>

class QSocketNotifier;

namespace tivrel {

// Ticks on a fixed schedule with sub-millisecond deadlines: a timerfd on the monotonic clock,
// armed for each tick's absolute time on a TickSchedule (the n-th tick due at enable + n x
// interval; late ticks made up, never closer than half an interval), watched from the UI
// thread's event loop. Disabling throws away whatever has not been delivered.
class TimerFdTickSource final : public TickSource {
public:
    TimerFdTickSource();
    ~TimerFdTickSource() override;

    // False when the system refused a timer; the source then never ticks.
    bool isValid() const { return m_fd >= 0; }

    void setInterval(int milliseconds) override;
    int interval() const override { return m_interval; }
    void setEnabled(bool enabled) override;
    bool isEnabled() const override { return m_enabled; }

private:
    void onReadable();
    void arm(std::int64_t at);

    int m_fd = -1;
    int m_interval = 0;
    bool m_enabled = false;
    std::optional<TickSchedule> m_schedule;
    std::unique_ptr<QSocketNotifier> m_notifier;
};

} // namespace tivrel
