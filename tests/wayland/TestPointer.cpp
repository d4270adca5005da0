#include "TestPointer.h"

#include "wlr-virtual-pointer-client.h"

#include <wayland-client.h>

#include <QFile>

#include <cstring>

namespace tivrel::test {

namespace {

void onGlobal(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
              std::uint32_t) {
    auto* globals = static_cast<std::pair<wl_seat*, zwlr_virtual_pointer_manager_v1*>*>(data);
    if (std::strcmp(interface, wl_seat_interface.name) == 0) {
        globals->first =
            static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
    } else if (std::strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0) {
        globals->second = static_cast<zwlr_virtual_pointer_manager_v1*>(
            wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1));
    }
}

const wl_registry_listener kListener{
    .global = onGlobal,
    .global_remove = [](void*, wl_registry*, std::uint32_t) {},
};

} // namespace

TestPointer::~TestPointer() {
    if (m_pointer)
        zwlr_virtual_pointer_v1_destroy(m_pointer);
    if (m_display)
        wl_display_disconnect(m_display);
}

bool TestPointer::open(const QString& socket) {
    m_display = wl_display_connect(QFile::encodeName(socket).constData());
    if (!m_display)
        return false;
    std::pair<wl_seat*, zwlr_virtual_pointer_manager_v1*> globals{nullptr, nullptr};
    wl_registry_add_listener(wl_display_get_registry(m_display), &kListener, &globals);
    if (wl_display_roundtrip(m_display) < 0 || !globals.first || !globals.second)
        return false;
    m_seat = globals.first;
    m_manager = globals.second;
    m_pointer = zwlr_virtual_pointer_manager_v1_create_virtual_pointer(m_manager, m_seat);
    return wl_display_roundtrip(m_display) >= 0;
}

bool TestPointer::moveTo(QPoint place, QSize extent) {
    zwlr_virtual_pointer_v1_motion_absolute(
        m_pointer, 0, static_cast<std::uint32_t>(place.x()), static_cast<std::uint32_t>(place.y()),
        static_cast<std::uint32_t>(extent.width()), static_cast<std::uint32_t>(extent.height()));
    zwlr_virtual_pointer_v1_frame(m_pointer);
    return wl_display_roundtrip(m_display) >= 0;
}

bool TestPointer::button(std::uint32_t code, bool press) {
    zwlr_virtual_pointer_v1_button(m_pointer, 0, code, press ? 1 : 0);
    zwlr_virtual_pointer_v1_frame(m_pointer);
    return wl_display_roundtrip(m_display) >= 0;
}

} // namespace tivrel::test
