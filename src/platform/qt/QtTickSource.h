#pragma once

#include "platform/TickSource.h"

#include <QTimer>

namespace tivrel {

// Tick source on a precise QTimer: Qt keeps such a timer on fixed deadlines and never
// queues missed ticks, and stopping it drops the pending one.
class QtTickSource final : public TickSource {
public:
    QtTickSource();
    void setInterval(int milliseconds) override;
    int interval() const override;
    void setEnabled(bool enabled) override;
    bool isEnabled() const override;

private:
    QTimer m_timer;
    int m_interval = 0;
};

} // namespace tivrel
