#include "KWinFakeInput.h"

#include "fake-input-client.h"

#include <wayland-client.h>

#include <QFile>

#include <algorithm>
#include <cstring>

namespace tivrel::test {

namespace {

void onGlobal(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
              std::uint32_t version) {
    // Absolute motion came with version 3, keys with 4.
    if (std::strcmp(interface, org_kde_kwin_fake_input_interface.name) == 0 && version >= 3)
        *static_cast<org_kde_kwin_fake_input**>(data) =
            static_cast<org_kde_kwin_fake_input*>(wl_registry_bind(
                registry, name, &org_kde_kwin_fake_input_interface, std::min(version, 4u)));
}

const wl_registry_listener kListener{
    .global = onGlobal,
    .global_remove = [](void*, wl_registry*, std::uint32_t) {},
};

} // namespace

KWinFakeInput::~KWinFakeInput() {
    if (m_input)
        org_kde_kwin_fake_input_destroy(m_input);
    if (m_display)
        wl_display_disconnect(m_display);
}

bool KWinFakeInput::open(const QString& socket) {
    m_display = wl_display_connect(QFile::encodeName(socket).constData());
    if (!m_display)
        return false;
    wl_registry* registry = wl_display_get_registry(m_display);
    wl_registry_add_listener(registry, &kListener, &m_input);
    const bool listed = wl_display_roundtrip(m_display) >= 0;
    wl_registry_destroy(registry);
    if (!listed || !m_input)
        return false;
    org_kde_kwin_fake_input_authenticate(m_input, "Tivrel tests", "to move the pointer");
    return wl_display_roundtrip(m_display) >= 0;
}

bool KWinFakeInput::moveTo(QPoint place) {
    org_kde_kwin_fake_input_pointer_motion_absolute(m_input, wl_fixed_from_int(place.x()),
                                                    wl_fixed_from_int(place.y()));
    return wl_display_roundtrip(m_display) >= 0;
}

bool KWinFakeInput::button(int code, bool pressed) {
    org_kde_kwin_fake_input_button(m_input, std::uint32_t(code),
                                   pressed ? WL_POINTER_BUTTON_STATE_PRESSED
                                           : WL_POINTER_BUTTON_STATE_RELEASED);
    return wl_display_roundtrip(m_display) >= 0;
}

bool KWinFakeInput::key(std::uint32_t code, bool pressed) {
    if (org_kde_kwin_fake_input_get_version(m_input) < 4)
        return false;
    org_kde_kwin_fake_input_keyboard_key(
        m_input, code, pressed ? WL_KEYBOARD_KEY_STATE_PRESSED : WL_KEYBOARD_KEY_STATE_RELEASED);
    return wl_display_roundtrip(m_display) >= 0;
}

} // namespace tivrel::test
