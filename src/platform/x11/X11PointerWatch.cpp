#include "platform/x11/X11PointerWatch.h"

#include <xcb/xcb.h>
#include <xcb/xinput.h>

#include <QtGlobal>

#include <cstdlib>

namespace tivrel {

std::unique_ptr<X11PointerWatch> X11PointerWatch::open(xcb_connection_t* connection,
                                                       std::uint32_t root, QString* error) {
    const xcb_query_extension_reply_t* xinput = xcb_get_extension_data(connection, &xcb_input_id);
    // 2.1 sends raw events to the root window whoever holds a grab; 2.2 is asked for, as the
    // newest this program knows.
    xcb_input_xi_query_version_reply_t* version = nullptr;
    if (xinput && xinput->present) {
        version = xcb_input_xi_query_version_reply(
            connection, xcb_input_xi_query_version(connection, 2, 2), nullptr);
    }
    const bool enough = version && (version->major_version > 2 ||
                                    (version->major_version == 2 && version->minor_version >= 1));
    std::free(version);
    if (!enough) {
        if (error) {
            *error = QStringLiteral("The X display \"%1\" has no XInput 2.1 extension, so Tivrel "
                                    "cannot see the mouse move to stop a run.")
                         .arg(qEnvironmentVariable("DISPLAY"));
        }
        return nullptr;
    }
    return std::unique_ptr<X11PointerWatch>(
        new X11PointerWatch(connection, root, xinput->major_opcode));
}

X11PointerWatch::X11PointerWatch(xcb_connection_t* connection, std::uint32_t root,
                                 std::uint8_t opcode)
    : m_connection(connection), m_root(root), m_opcode(opcode) {}

void X11PointerWatch::selectRawMotion(bool on) {
    struct {
        xcb_input_event_mask_t head;
        std::uint32_t bits;
    } mask{{XCB_INPUT_DEVICE_ALL_MASTER, 1},
           on ? std::uint32_t(XCB_INPUT_XI_EVENT_MASK_RAW_MOTION) : 0u};
    if (!on) {
        xcb_input_xi_select_events(m_connection, m_root, 1, &mask.head);
        xcb_flush(m_connection);
        return;
    }
    const xcb_void_cookie_t request =
        xcb_input_xi_select_events_checked(m_connection, m_root, 1, &mask.head);
    m_since = request.sequence;
    // One round trip at the start: once the server has answered, every motion it handles
    // reaches the watch. Motion it sent before carries an older number and is passed over.
    if (xcb_generic_error_t* error = xcb_request_check(m_connection, request)) {
        qWarning("Tivrel: the X server refused to report pointer motion (error %d)",
                 int(error->error_code));
        std::free(error);
    }
}

void X11PointerWatch::begin() {
    m_moved = false;
    selectRawMotion(true);
}

// Between runs the server sends nothing: an idle program is not woken by the user's mouse.
void X11PointerWatch::end() {
    selectRawMotion(false);
}

template <typename Next> bool X11PointerWatch::take(Next next) {
    if (m_moved)
        return true;
    while (xcb_generic_event_t* event = next(m_connection)) {
        const auto* generic = reinterpret_cast<const xcb_ge_generic_event_t*>(event);
        const bool motion = (event->response_type & 0x7f) == XCB_GE_GENERIC &&
                            generic->extension == m_opcode &&
                            generic->event_type == XCB_INPUT_RAW_MOTION;
        // Told apart by the numbers the server gives its requests, which wrap.
        if (motion && std::int32_t(event->full_sequence - m_since) >= 0)
            m_moved = true;
        std::free(event);
    }
    return m_moved;
}

bool X11PointerWatch::moved() {
    return take(xcb_poll_for_event);
}

bool X11PointerWatch::movedSoFar() {
    return take(xcb_poll_for_queued_event);
}

} // namespace tivrel
