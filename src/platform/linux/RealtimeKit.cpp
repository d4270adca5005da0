#include "platform/linux/RealtimeKit.h"

#include <dbus/dbus.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <optional>

namespace tivrel::realtimeKit {

namespace {

constexpr const char* kSystemBusAddress = "unix:path=/var/run/dbus/system_bus_socket";
constexpr const char* kService = "org.freedesktop.RealtimeKit1";
constexpr const char* kObject = "/org/freedesktop/RealtimeKit1";
constexpr const char* kInterface = "org.freedesktop.RealtimeKit1";
// The service answers in a few milliseconds; a run waits at most this long per call for a
// service that hangs, and then clicks at normal priority.
constexpr int kCallTimeoutMs = 500;

struct ConnectionClose {
    void operator()(DBusConnection* c) const {
        dbus_connection_close(c);
        dbus_connection_unref(c);
    }
};
struct MessageUnref {
    void operator()(DBusMessage* m) const { dbus_message_unref(m); }
};
using Connection = std::unique_ptr<DBusConnection, ConnectionClose>;
using Message = std::unique_ptr<DBusMessage, MessageUnref>;

class Error {
public:
    Error() { dbus_error_init(&m_error); }
    ~Error() { dbus_error_free(&m_error); }
    Error(const Error&) = delete;
    Error& operator=(const Error&) = delete;
    DBusError* get() { return &m_error; }

private:
    DBusError m_error;
};

Message call(DBusConnection* bus, DBusMessage* request) {
    Error error;
    return Message(
        dbus_connection_send_with_reply_and_block(bus, request, kCallTimeoutMs, error.get()));
}

// libdbus's blocking call waits for the end of the handshake with no time limit of its own;
// this waits at most a call's time for it.
bool authenticate(DBusConnection* bus) {
    using namespace std::chrono;
    const auto deadline = steady_clock::now() + milliseconds(kCallTimeoutMs);
    while (!dbus_connection_get_is_authenticated(bus)) {
        const auto left = duration_cast<milliseconds>(deadline - steady_clock::now()).count();
        if (left <= 0 || !dbus_connection_read_write(bus, int(left)))
            return false;
    }
    return true;
}

// A private connection, so that nothing else in the process shares or closes it. Neither
// the handshake nor the greeting waits longer than any call: a stop would wait with them,
// and libdbus's own greeting on a bus that does not answer waits for good.
Connection openSystemBus() {
    const char* address = std::getenv("DBUS_SYSTEM_BUS_ADDRESS");
    Error error;
    Connection bus(dbus_connection_open_private(address && *address ? address : kSystemBusAddress,
                                                error.get()));
    if (!bus || !authenticate(bus.get()))
        return {};
    Message hello(dbus_message_new_method_call("org.freedesktop.DBus", "/org/freedesktop/DBus",
                                               "org.freedesktop.DBus", "Hello"));
    if (!hello || !call(bus.get(), hello.get()))
        return {};
    return bus;
}

// RealtimeKit's limit on a client's real-time CPU time between two blocking calls; none
// where the service is not there.
std::optional<std::int64_t> rtTimeMaxUs(DBusConnection* bus) {
    Message request(
        dbus_message_new_method_call(kService, kObject, "org.freedesktop.DBus.Properties", "Get"));
    const char* interface = kInterface;
    const char* property = "RTTimeUSecMax";
    if (!request || !dbus_message_append_args(request.get(), DBUS_TYPE_STRING, &interface,
                                              DBUS_TYPE_STRING, &property, DBUS_TYPE_INVALID))
        return std::nullopt;
    const Message reply = call(bus, request.get());
    DBusMessageIter answer, value;
    if (!reply || !dbus_message_iter_init(reply.get(), &answer) ||
        dbus_message_iter_get_arg_type(&answer) != DBUS_TYPE_VARIANT)
        return std::nullopt;
    dbus_message_iter_recurse(&answer, &value);
    if (dbus_message_iter_get_arg_type(&value) != DBUS_TYPE_INT64)
        return std::nullopt;
    dbus_int64_t us = 0;
    dbus_message_iter_get_basic(&value, &us);
    return std::int64_t(us);
}

// RealtimeKit grants nothing to a process whose hard limit is above its own. The click
// thread sleeps before every click, far inside any such limit.
bool capRealtimeCpu(std::int64_t maxUs) {
    if (maxUs <= 0)
        return false;
    rlimit limit{};
    if (::getrlimit(RLIMIT_RTTIME, &limit) != 0)
        return false;
    const rlim_t cap = std::min<rlim_t>(limit.rlim_max, rlim_t(maxUs));
    if (limit.rlim_cur <= cap && limit.rlim_max <= cap)
        return true;
    limit.rlim_cur = std::min(limit.rlim_cur, cap);
    limit.rlim_max = cap;
    return ::setrlimit(RLIMIT_RTTIME, &limit) == 0;
}

} // namespace

bool makeThreadRealtime(std::uint64_t threadId, std::uint32_t priority) {
    const Connection bus = openSystemBus();
    if (!bus)
        return false;
    const std::optional<std::int64_t> maxUs = rtTimeMaxUs(bus.get());
    if (!maxUs || !capRealtimeCpu(*maxUs))
        return false;
    Message request(
        dbus_message_new_method_call(kService, kObject, kInterface, "MakeThreadRealtime"));
    const dbus_uint64_t thread = threadId;
    const dbus_uint32_t level = priority;
    if (!request || !dbus_message_append_args(request.get(), DBUS_TYPE_UINT64, &thread,
                                              DBUS_TYPE_UINT32, &level, DBUS_TYPE_INVALID))
        return false;
    return call(bus.get(), request.get()) != nullptr; // an error reply comes back as none
}

} // namespace tivrel::realtimeKit
