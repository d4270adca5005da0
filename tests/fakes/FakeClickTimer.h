#pragma once

#include "platform/ClickTimer.h"

namespace tivrel::test {

// The click thread, run by hand: each tick() runs one tick on the test's own thread, and a
// run that ends by itself hands its end over at once, as the UI thread would receive it.
class FakeClickTimer final : public ClickTimer {
public:
    void start(int intervalMs, Run run, std::function<void()> ended) override {
        m_interval = intervalMs;
        m_run = std::move(run);
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
    bool tick() { return runOnThread(m_run.tick); }
    // The system hands the thread news of the pointer between two ticks.
    bool pointerNews() { return runOnThread(m_run.look); }
    // A tick whose end the UI thread has not heard of yet: the thread stopped, the posted
    // end is still on its way.
    bool tickWithoutDeliveringTheEnd() {
        if (!m_running || m_endPending)
            return false;
        if (!m_run.tick())
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
    bool runOnThread(const std::function<bool()>& work) {
        if (!m_running || m_endPending)
            return false;
        if (!work()) {
            m_running = false;
            if (m_ended)
                m_ended();
        }
        return true;
    }

    int m_interval = 0;
    bool m_running = false;
    bool m_endPending = false;
    Run m_run;
    std::function<void()> m_ended;
};

} // namespace tivrel::test
