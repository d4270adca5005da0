#include "platform/wayland/WlrootsMouse.h"

#include "wlr-virtual-pointer-client.h"

#include <wayland-client.h>

#include <QtGlobal>

#include <cstdint>
#include <cstring>
#include <ctime>

namespace tivrel {

namespace {

// Button codes of linux/input-event-codes.h, which compositors take as they are.
constexpr std::uint32_t kButtonLeft = 0x110;
constexpr std::uint32_t kButtonRight = 0x111;
constexpr std::uint32_t kButtonMiddle = 0x112;

std::uint32_t buttonCode(MouseButton button) {
    switch (button) {
    case MouseButton::Left:
        return kButtonLeft;
    case MouseButton::Middle:
        return kButtonMiddle;
    case MouseButton::Right:
        break;
    }
    return kButtonRight;
}

// Input events carry milliseconds of the monotonic clock, as the kernel's devices do.
std::uint32_t nowMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::uint32_t>(now.tv_sec * 1000 + now.tv_nsec / 1000000);
}

} // namespace

struct WlrootsMouse::Connection {
    wl_display* display = nullptr;
    wl_event_queue* queue = nullptr;
    // The display as a proxy on the private queue: what is made through it answers there.
    wl_display* onQueue = nullptr;
    wl_registry* registry = nullptr;
    wl_seat* seat = nullptr;
    zwlr_virtual_pointer_manager_v1* manager = nullptr;
    zwlr_virtual_pointer_v1* pointer = nullptr;

    ~Connection() {
        if (pointer)
            zwlr_virtual_pointer_v1_destroy(pointer);
        if (manager)
            zwlr_virtual_pointer_manager_v1_destroy(manager);
        if (seat)
            wl_seat_destroy(seat);
        if (registry)
            wl_registry_destroy(registry);
        if (onQueue)
            wl_proxy_wrapper_destroy(onQueue);
        if (queue)
            wl_event_queue_destroy(queue);
        if (display)
            wl_display_disconnect(display);
    }

    // Waits until the compositor has handled everything sent so far; false where the
    // connection broke on the way.
    bool sync() {
        bool answered = false;
        static const wl_callback_listener listener{
            .done = [](void* data, wl_callback*, std::uint32_t) {
                *static_cast<bool*>(data) = true;
            }};
        wl_callback* callback = wl_display_sync(onQueue);
        wl_callback_add_listener(callback, &listener, &answered);
        while (!answered) {
            if (wl_display_dispatch_queue(display, queue) < 0)
                break;
        }
        wl_callback_destroy(callback);
        return answered;
    }
};

namespace {

void onGlobal(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
              std::uint32_t) {
    auto* c = static_cast<WlrootsMouse::Connection*>(data);
    if (!c->seat && std::strcmp(interface, wl_seat_interface.name) == 0) {
        c->seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
    } else if (!c->manager &&
               std::strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0) {
        // Version 1 has all this class asks for.
        c->manager = static_cast<zwlr_virtual_pointer_manager_v1*>(
            wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1));
    }
}

void onGlobalRemove(void*, wl_registry*, std::uint32_t) {}

const wl_registry_listener kRegistryListener{.global = onGlobal, .global_remove = onGlobalRemove};

QString displayName() {
    const QString name = qEnvironmentVariable("WAYLAND_DISPLAY");
    return name.isEmpty() ? QStringLiteral("wayland-0") : name;
}

} // namespace

std::unique_ptr<WlrootsMouse> WlrootsMouse::open(QString* error) {
    auto c = std::make_unique<Connection>();
    c->display = wl_display_connect(nullptr);
    if (!c->display) {
        if (error) {
            *error = QStringLiteral("Tivrel cannot connect to the Wayland display \"%1\".")
                         .arg(displayName());
        }
        return nullptr;
    }
    c->queue = wl_display_create_queue(c->display);
    c->onQueue = static_cast<wl_display*>(wl_proxy_create_wrapper(c->display));
    wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(c->onQueue), c->queue);
    c->registry = wl_display_get_registry(c->onQueue);
    wl_registry_add_listener(c->registry, &kRegistryListener, c.get());
    if (wl_display_roundtrip_queue(c->display, c->queue) < 0) {
        if (error) {
            *error = QStringLiteral("The Wayland display \"%1\" closed the connection.")
                         .arg(displayName());
        }
        return nullptr;
    }
    if (!c->manager || !c->seat) {
        if (error) {
            *error =
                QStringLiteral("This Wayland desktop (\"%1\") offers programs no %2, so Tivrel can "
                               "click there only through XWayland, in X11 windows.")
                    .arg(displayName(), c->manager
                                            ? QStringLiteral("seat")
                                            : QStringLiteral("remote desktop service (the desktop "
                                                             "portal) and no virtual pointer"));
        }
        return nullptr;
    }
    c->pointer = zwlr_virtual_pointer_manager_v1_create_virtual_pointer(c->manager, c->seat);
    if (!c->sync()) {
        if (error) {
            *error = QStringLiteral("The Wayland display \"%1\" refused Tivrel a virtual "
                                    "pointer.")
                         .arg(displayName());
        }
        return nullptr;
    }
    return std::unique_ptr<WlrootsMouse>(new WlrootsMouse(std::move(c)));
}

WlrootsMouse::WlrootsMouse(std::unique_ptr<Connection> connection)
    : m_connection(std::move(connection)) {}

WlrootsMouse::~WlrootsMouse() = default;

void WlrootsMouse::press(MouseButton button) {
    send(button, {true});
}

void WlrootsMouse::release(MouseButton button) {
    send(button, {false});
}

void WlrootsMouse::click(MouseButton button) {
    send(button, {true, false});
}

bool WlrootsMouse::usable() {
    if (wl_display_get_error(m_connection->display) == 0)
        return true;
    if (!m_lossLogged) {
        m_lossLogged = true;
        qWarning("Tivrel: the connection to the Wayland compositor is lost; clicks are "
                 "dropped.");
    }
    return false;
}

void WlrootsMouse::send(MouseButton button, std::initializer_list<bool> presses) {
    if (!usable())
        return;
    const std::uint32_t code = buttonCode(button);
    for (const bool press : presses) {
        zwlr_virtual_pointer_v1_button(m_connection->pointer, nowMs(), code,
                                       press ? WL_POINTER_BUTTON_STATE_PRESSED
                                             : WL_POINTER_BUTTON_STATE_RELEASED);
        zwlr_virtual_pointer_v1_frame(m_connection->pointer);
    }
    // A sync on a broken connection fails at once; the next click then returns at once.
    if (!m_connection->sync())
        usable();
}

} // namespace tivrel
