#pragma once

#include "platform/ClickTimer.h"

namespace tivrel::test {

// The click thread, run by hand: each tick() runs one tick on the test's own thread, and a
// run that ends by itself hands its end over at once, as the UI thread would receive it.
class FakeClickTimer final : public ClickTimer {
public:
    void start(int intervalMs, std::function<bool()> tick, std::function<void()> ended) override {
        m_interval = intervalMs;
        m_tick = std::move(tick);
        m_ended = std::move(ended);
        m_running = true;
        m_endPending = false;
        ++starts;
    }
    void stop() override {
        m_running = false;
        m_endPending = false;
    }
    bool isRunning() const override { return m_running; }

    // Runs one tick if running; returns whether it did.
    bool tick() {
        if (!m_running || m_endPending)
            return false;
        if (!m_tick()) {
            m_running = false;
            if (m_ended)
                m_ended();
        }
        return true;
    }
    // A tick whose end the UI thread has not heard of yet: the thread stopped, the posted
    // end is still on its way.
    bool tickWithoutDeliveringTheEnd() {
        if (!m_running || m_endPending)
            return false;
        if (!m_tick())
            m_endPending = true;
        return true;
    }
    void deliverPendingEnd() {
        if (!m_endPending)
            return;
        m_endPending = false;
        if (m_running) {
            m_running = false;
            if (m_ended)
                m_ended();
        }
    }

    int interval() const { return m_interval; }
    // Kept for the tests that ask a timer whether it is on.
    bool isEnabled() const { return m_running; }
    int starts = 0;

private:
    int m_interval = 0;
    bool m_running = false;
    bool m_endPending = false;
    std::function<bool()> m_tick;
    std::function<void()> m_ended;
};

} // namespace tivrel::test
