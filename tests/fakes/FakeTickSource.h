#pragma once

#include "platform/TickSource.h"

namespace tivrel::test {

// A timer that ticks only when the test says so, and only while enabled.
class FakeTickSource final : public TickSource {
public:
    void setInterval(int milliseconds) override { m_interval = milliseconds; }
    int interval() const override { return m_interval; }
    void setEnabled(bool enabled) override {
        m_enabled = enabled;
        if (enabled)
            ++enableCount;
    }
    bool isEnabled() const override { return m_enabled; }

    // Delivers one tick if the timer is enabled; returns whether it did.
    bool tick() {
        if (!m_enabled)
            return false;
        deliverTick();
        return true;
    }

    int enableCount = 0;

private:
    int m_interval = 0;
    bool m_enabled = false;
};

} // namespace tivrel::test
