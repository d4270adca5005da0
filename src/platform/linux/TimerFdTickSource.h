#pragma once

#include "platform/TickSource.h"

#include <memory>

class QSocketNotifier;

namespace tivrel {

// Ticks on a fixed schedule with sub-millisecond deadlines: a timerfd on the monotonic clock
// with absolute expirations (the n-th tick is due at enable + n x interval), watched from
// the UI thread's event loop. However many deadlines pass while the loop is busy, one tick is
// delivered and the schedule goes on; disabling throws away whatever has not been delivered.
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

    int m_fd = -1;
    int m_interval = 0;
    bool m_enabled = false;
    std::unique_ptr<QSocketNotifier> m_notifier;
};

} // namespace tivrel
