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

namespace {

// Asks the server for these events of every master device on the window.
xcb_void_cookie_t selectOn(xcb_connection_t* connection, std::uint32_t window, std::uint32_t bits,
                           bool checked = false) {
    struct {
        xcb_input_event_mask_t head;
        std::uint32_t bits;
    } mask{{XCB_INPUT_DEVICE_ALL_MASTER, 1}, bits};
    return checked ? xcb_input_xi_select_events_checked(connection, window, 1, &mask.head)
                   : xcb_input_xi_select_events(connection, window, 1, &mask.head);
}

// The FP16.16 place of an XInput 2 device event, in whole pixels.
QPoint wholePixels(std::int32_t x, std::int32_t y) {
    return {int(x >> 16), int(y >> 16)};
}

// Whether the event tells of the pointer leaving the start place of the run that asked for
// motion with request `since`.
bool tellsOfAMove(const xcb_generic_event_t* event, std::uint8_t opcode, std::uint32_t since,
                  QPoint start) {
    const auto* generic = reinterpret_cast<const xcb_ge_generic_event_t*>(event);
    if ((event->response_type & 0x7f) != XCB_GE_GENERIC || generic->extension != opcode)
        return false;
    // Told apart by the numbers the server gives its requests, which wrap.
    if (std::int32_t(event->full_sequence - since) < 0)
        return false;
    switch (generic->event_type) {
    case XCB_INPUT_RAW_MOTION:
        return true;
    case XCB_INPUT_MOTION: {
        const auto* motion = reinterpret_cast<const xcb_input_motion_event_t*>(event);
        return wholePixels(motion->root_x, motion->root_y) != start;
    }
    case XCB_INPUT_LEAVE: {
        // A window mapped over a still pointer, or a grab, is a crossing at the same place.
        const auto* leave = reinterpret_cast<const xcb_input_leave_event_t*>(event);
        return wholePixels(leave->root_x, leave->root_y) != start;
    }
    default:
        return false;
    }
}

} // namespace

void X11PointerWatch::begin() {
    m_moved = false;
    // Motion of every device, and the place a motion or a crossing leaves the pointer at:
    // a program that warps the pointer moves no device. A motion event goes to the deepest
    // window under the pointer that asks for motion, and then no further, so the root hears
    // it only over windows that take no motion of their own; a crossing goes to the very
    // window that is left. Both are asked of the window under the pointer as well.
    const xcb_void_cookie_t request =
        selectOn(m_connection, m_root,
                 XCB_INPUT_XI_EVENT_MASK_RAW_MOTION | XCB_INPUT_XI_EVENT_MASK_MOTION |
                     XCB_INPUT_XI_EVENT_MASK_LEAVE,
                 true);
    m_since = request.sequence;
    // One round trip at the start: once the server has answered, every motion it handles
    // reaches the watch. Motion it sent before carries an older number and is passed over.
    if (xcb_generic_error_t* error = xcb_request_check(m_connection, request)) {
        qWarning("Tivrel: the X server refused to report pointer motion (error %d)",
                 int(error->error_code));
        std::free(error);
    }
    m_under = XCB_NONE;
    std::uint32_t window = m_root;
    while (xcb_query_pointer_reply_t* place = xcb_query_pointer_reply(
               m_connection, xcb_query_pointer(m_connection, window), nullptr)) {
        if (window == m_root)
            m_start = QPoint(place->root_x, place->root_y);
        window = place->child;
        std::free(place);
        if (window == XCB_NONE)
            break;
        m_under = window;
    }
    // The window may be gone by the time the request arrives: the error comes as an event,
    // which a look passes over.
    if (m_under != XCB_NONE)
        selectOn(m_connection, m_under,
                 XCB_INPUT_XI_EVENT_MASK_MOTION | XCB_INPUT_XI_EVENT_MASK_LEAVE);
    xcb_flush(m_connection);
}

// Between runs the server sends nothing: an idle program is not woken by the user's mouse.
void X11PointerWatch::end() {
    selectOn(m_connection, m_root, 0);
    if (m_under != XCB_NONE)
        selectOn(m_connection, m_under, 0);
    m_under = XCB_NONE;
    xcb_flush(m_connection);
}

template <typename Next> bool X11PointerWatch::take(Next next) {
    if (m_moved)
        return true;
    while (xcb_generic_event_t* event = next(m_connection)) {
        if (tellsOfAMove(event, m_opcode, m_since, m_start))
            m_moved = true;
        std::free(event);
    }
    return m_moved;
}

bool X11PointerWatch::moved() {
    return take(xcb_poll_for_event);
}

int X11PointerWatch::news() const {
    return xcb_get_file_descriptor(m_connection);
}

bool X11PointerWatch::movedSoFar() {
    return take(xcb_poll_for_queued_event);
}

} // namespace tivrel
