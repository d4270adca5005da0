#include "platform/x11/QuietButtonState.h"

#include <QGuiApplication>

#include <xcb/xcb.h>
// The header names a member "explicit", which C++ reserves.
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit

namespace tivrel {

void quietButtonStateNotifications() {
    const auto* x11 =
        qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return;
    const xcb_query_extension_reply_t* xkb = xcb_get_extension_data(connection, &xcb_xkb_id);
    if (!xkb || !xkb->present)
        return;

    constexpr quint16 kAllStateParts = 0x3fff;
    xcb_xkb_select_events_details_t details{};
    details.affectState = kAllStateParts;
    details.stateDetails = kAllStateParts & ~quint16(XCB_XKB_STATE_PART_POINTER_BUTTONS);
    const xcb_void_cookie_t cookie = xcb_xkb_select_events_aux_checked(
        connection, XCB_XKB_ID_USE_CORE_KBD, XCB_XKB_EVENT_TYPE_STATE_NOTIFY, 0, 0, 0, 0, &details);
    if (xcb_generic_error_t* error = xcb_request_check(connection, cookie)) {
        // Clicks still work; they only cost a little more.
        qWarning("Tivrel: the X server refused a narrower keyboard-state selection (error %d)",
                 int(error->error_code));
        free(error);
    }
}

} // namespace tivrel
