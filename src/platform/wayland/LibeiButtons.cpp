// The pointer's buttons through libei, a sender on the compositor's EIS socket (built where
// libei is found).
#include "platform/wayland/EisButtons.h"

#include <libei.h>

#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <functional>

namespace tivrel {

namespace {

using Clock = std::chrono::steady_clock;

// An answer later than this: the compositor is not taking input any more (as for the
// portal's D-Bus calls).
constexpr std::chrono::milliseconds kAnswerTimeout(2000);
// From the socket to a device whose buttons may be pressed: the greeting, the seat, the
// device and its resumption, a few round trips to a compositor that may be busy.
constexpr std::chrono::milliseconds kSetupTimeout(3000);

// libei's own warnings and errors go where the program's go; its chatter does not.
void logWarnings(ei*, ei_log_priority priority, const char* message, ei_log_context*) {
    if (priority >= EI_LOG_PRIORITY_WARNING)
        qWarning("Tivrel: libei: %s", message);
}

class LibeiButtons final : public EisButtons {
public:
    LibeiButtons() : m_ei(ei_new_sender(nullptr)) {}
    ~LibeiButtons() override {
        if (m_device)
            ei_device_unref(m_device);
        if (m_ei)
            ei_unref(m_ei); // closes the connection
    }
    LibeiButtons(const LibeiButtons&) = delete;
    LibeiButtons& operator=(const LibeiButtons&) = delete;

    // The greeting, then a seat bound for the pointer's buttons and its device resumed.
    bool connect(int fd, QString* error) {
        if (!m_ei) {
            ::close(fd);
            *error = QStringLiteral("libei made no context");
            return false;
        }
        ei_log_set_handler(m_ei, logWarnings);
        ei_configure_name(m_ei, "Tivrel");
        if (const int failed = ei_setup_backend_fd(m_ei, fd); failed < 0) {
            *error = QString::fromLocal8Bit(std::strerror(-failed));
            return false;
        }
        if (waitFor([this] { return m_emulating; }, kSetupTimeout))
            return true;
        *error = m_disconnected ? QStringLiteral("the compositor ended the connection")
                                : QStringLiteral("the compositor gave no device with buttons");
        return false;
    }

    bool send(int code, bool pressed) override { return input(code, {pressed}); }
    bool click(int code) override { return input(code, {true, false}); }
    bool lost() const override { return m_lost; }

private:
    // One frame for each transition, then a ping: the compositor answers it only after it
    // has handled the frames before it, so a release never overtakes its press and a
    // stalled compositor is never handed two clicks at once.
    bool input(int code, std::initializer_list<bool> transitions) {
        if (m_lost)
            return false;
        // A paused device takes nothing: wait for its resumption as long as for an answer.
        if (!waitFor([this] { return m_emulating; }, kAnswerTimeout))
            return lose();
        for (const bool pressed : transitions) {
            // A write to a connection the compositor closed ends it at once, in libei's own
            // state too: nothing more may be sent then, not even the ping.
            if (!m_emulating)
                return lose();
            ei_device_button_button(m_device, uint32_t(code), pressed);
            ei_device_frame(m_device, ei_now(m_ei));
            handlePending();
        }
        if (!m_emulating || m_disconnected)
            return lose();
        m_ping = ei_new_ping(m_ei);
        if (!m_ping)
            return lose();
        m_answered = false;
        ei_ping(m_ping);
        const bool answered = waitFor([this] { return m_answered; }, kAnswerTimeout);
        m_ping = ei_ping_unref(m_ping);
        return answered || lose();
    }

    bool lose() {
        m_lost = true;
        return false;
    }

    // Handles what the compositor sent until done() holds; false once the time is up or the
    // connection ended.
    bool waitFor(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
        const Clock::time_point deadline = Clock::now() + timeout;
        for (;;) {
            handlePending();
            if (done())
                return true;
            if (m_disconnected)
                return false;
            const auto left =
                std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
            if (left <= 0)
                return false;
            pollfd socket{ei_get_fd(m_ei), POLLIN, 0};
            if (poll(&socket, 1, int(left)) < 0 && errno != EINTR)
                return false;
            ei_dispatch(m_ei);
        }
    }

    // The events libei has queued, without reading the socket.
    void handlePending() {
        while (ei_event* event = ei_get_event(m_ei)) {
            handle(event);
            ei_event_unref(event);
        }
    }

    void handle(ei_event* event) {
        ei_device* device = ei_event_get_device(event);
        switch (ei_event_get_type(event)) {
        case EI_EVENT_DISCONNECT:
            m_disconnected = true;
            m_emulating = false;
            break;
        case EI_EVENT_SEAT_ADDED:
            if (!m_bound) {
                m_bound = true;
                ei_seat_bind_capabilities(ei_event_get_seat(event), EI_DEVICE_CAP_POINTER,
                                          EI_DEVICE_CAP_BUTTON, nullptr);
            }
            break;
        case EI_EVENT_DEVICE_ADDED:
            if (!m_device && ei_device_has_capability(device, EI_DEVICE_CAP_BUTTON))
                m_device = ei_device_ref(device);
            break;
        case EI_EVENT_DEVICE_RESUMED:
            if (device == m_device) {
                ei_device_start_emulating(m_device, ++m_sequence);
                m_emulating = true;
            }
            break;
        case EI_EVENT_DEVICE_PAUSED:
            if (device == m_device)
                m_emulating = false;
            break;
        case EI_EVENT_DEVICE_REMOVED:
            if (device == m_device) {
                m_device = ei_device_unref(m_device);
                m_emulating = false;
            }
            break;
        case EI_EVENT_PONG:
            if (m_ping && ei_event_pong_get_ping(event) == m_ping)
                m_answered = true;
            break;
        default:
            break;
        }
    }

    ei* m_ei;
    ei_device* m_device = nullptr;    // the first device with buttons, referenced
    struct ei_ping* m_ping = nullptr; // the ping awaited
    bool m_bound = false;
    bool m_emulating = false;
    bool m_answered = false;
    bool m_disconnected = false;
    uint32_t m_sequence = 0;
    // Read by the UI thread between clicks.
    std::atomic<bool> m_lost = false;
};

} // namespace

EisConnector eisConnector() {
    return [](int fd, QString* error) -> std::unique_ptr<EisButtons> {
        auto buttons = std::make_unique<LibeiButtons>();
        if (!buttons->connect(fd, error))
            return nullptr;
        return buttons;
    };
}

} // namespace tivrel
