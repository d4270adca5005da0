#include "platform/wayland/PortalProbe.h"

#include <dbus/dbus.h>

#include <memory>
#include <optional>

namespace tivrel {

namespace {

// The portal starts on the first call of a login; its backends take a second or two.
constexpr int kProbeTimeoutMs = 5000;

struct ConnectionClose {
    void operator()(DBusConnection* c) const {
        dbus_connection_close(c);
        dbus_connection_unref(c);
    }
};
struct MessageUnref {
    void operator()(DBusMessage* m) const { dbus_message_unref(m); }
};

std::optional<std::uint32_t> portalProperty(DBusConnection* bus, const char* interface,
                                            const char* property) {
    std::unique_ptr<DBusMessage, MessageUnref> get(dbus_message_new_method_call(
        "org.freedesktop.portal.Desktop", "/org/freedesktop/portal/desktop",
        "org.freedesktop.DBus.Properties", "Get"));
    if (!get || !dbus_message_append_args(get.get(), DBUS_TYPE_STRING, &interface, DBUS_TYPE_STRING,
                                          &property, DBUS_TYPE_INVALID))
        return std::nullopt;
    DBusError error;
    dbus_error_init(&error);
    std::unique_ptr<DBusMessage, MessageUnref> reply(
        dbus_connection_send_with_reply_and_block(bus, get.get(), kProbeTimeoutMs, &error));
    dbus_error_free(&error);
    DBusMessageIter answer, value;
    if (!reply || !dbus_message_iter_init(reply.get(), &answer) ||
        dbus_message_iter_get_arg_type(&answer) != DBUS_TYPE_VARIANT)
        return std::nullopt;
    dbus_message_iter_recurse(&answer, &value);
    if (dbus_message_iter_get_arg_type(&value) != DBUS_TYPE_UINT32)
        return std::nullopt;
    dbus_uint32_t bits = 0;
    dbus_message_iter_get_basic(&value, &bits);
    return bits;
}

// Whether KWin's scripting answers: a question it can answer for any script, asked about the
// pointer watch's own.
bool kwinScriptingAnswers(DBusConnection* bus) {
    std::unique_ptr<DBusMessage, MessageUnref> call(dbus_message_new_method_call(
        "org.kde.KWin", "/Scripting", "org.kde.kwin.Scripting", "isScriptLoaded"));
    const char* script = "tivrel-pointer-watch";
    if (!call ||
        !dbus_message_append_args(call.get(), DBUS_TYPE_STRING, &script, DBUS_TYPE_INVALID))
        return false;
    DBusError error;
    dbus_error_init(&error);
    std::unique_ptr<DBusMessage, MessageUnref> reply(
        dbus_connection_send_with_reply_and_block(bus, call.get(), kProbeTimeoutMs, &error));
    dbus_error_free(&error);
    return reply != nullptr;
}

} // namespace

PortalOffer probeDesktopPortal() {
    DBusError error;
    dbus_error_init(&error);
    // A private connection: Qt opens its own once it runs, and nothing here outlives the probe.
    std::unique_ptr<DBusConnection, ConnectionClose> bus(
        dbus_bus_get_private(DBUS_BUS_SESSION, &error));
    dbus_error_free(&error);
    if (!bus)
        return {};
    dbus_connection_set_exit_on_disconnect(bus.get(), false);
    const auto devices =
        portalProperty(bus.get(), "org.freedesktop.portal.RemoteDesktop", "AvailableDeviceTypes");
    const auto cursorModes =
        portalProperty(bus.get(), "org.freedesktop.portal.ScreenCast", "AvailableCursorModes");
    const auto version =
        portalProperty(bus.get(), "org.freedesktop.portal.RemoteDesktop", "version");
    const auto shortcuts =
        portalProperty(bus.get(), "org.freedesktop.portal.GlobalShortcuts", "version");
    return {.pointer = devices && (*devices & kPortalPointerDevice),
            .cursorAsData = cursorModes && (*cursorModes & kPortalCursorAsMetadata),
            .remoteDesktopVersion = version.value_or(0),
            .globalShortcuts = shortcuts.value_or(0),
            .kwinScripting = kwinScriptingAnswers(bus.get())};
}

} // namespace tivrel
