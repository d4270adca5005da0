#pragma once

#include <functional>

namespace tivrel {

// A periodic timer that ticks on the UI thread. The system backends follow a TickSchedule
// begun at enable (late ticks made up, never bunched); the plain Qt fallback delivers one
// tick however many periods passed. Disabling drops any tick that has not been delivered
// yet. The interval takes effect at the next enable.
class TickSource {
public:
    virtual ~TickSource() = default;
    virtual void setInterval(int milliseconds) = 0;
    virtual int interval() const = 0;
    virtual void setEnabled(bool enabled) = 0;
    virtual bool isEnabled() const = 0;

    void onTick(std::function<void()> handler) { m_handler = std::move(handler); }

protected:
    void deliverTick() {
        if (m_handler)
            m_handler();
    }

private:
    std::function<void()> m_handler;
};

} // namespace tivrel
