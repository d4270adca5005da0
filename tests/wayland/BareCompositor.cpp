#include "BareCompositor.h"

#include "wlr-virtual-pointer-client.h"

#include <wayland-server.h>

#include <QFile>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

namespace tivrel::test {

namespace {

// The manager's requests, in the protocol's order; none of them makes anything.
struct ManagerRequests {
    void (*createVirtualPointer)(wl_client*, wl_resource*, wl_resource*, std::uint32_t);
    void (*destroy)(wl_client*, wl_resource*);
    void (*createVirtualPointerWithOutput)(wl_client*, wl_resource*, wl_resource*, wl_resource*,
                                           std::uint32_t);
};

const ManagerRequests kManagerRequests{
    .createVirtualPointer = [](wl_client*, wl_resource*, wl_resource*, std::uint32_t) {},
    .destroy = [](wl_client*, wl_resource* resource) { wl_resource_destroy(resource); },
    .createVirtualPointerWithOutput = [](wl_client*, wl_resource*, wl_resource*, wl_resource*,
                                         std::uint32_t) {},
};

void bindSeat(wl_client* client, void*, std::uint32_t version, std::uint32_t id) {
    wl_resource_create(client, &wl_seat_interface, static_cast<int>(version), id);
}

void bindManager(wl_client* client, void*, std::uint32_t version, std::uint32_t id) {
    wl_resource* manager = wl_resource_create(client, &zwlr_virtual_pointer_manager_v1_interface,
                                              static_cast<int>(version), id);
    wl_resource_set_implementation(manager, &kManagerRequests, nullptr, nullptr);
}

int listeningSocket(const QString& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(path);
    if (name.size() >= static_cast<qsizetype>(sizeof address.sun_path))
        return -1;
    std::memcpy(address.sun_path, name.constData(), static_cast<std::size_t>(name.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(fd, 8) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

} // namespace

BareCompositor::BareCompositor(bool seat, bool virtualPointer) {
    if (!m_folder.isValid())
        return;
    m_socket = m_folder.filePath(QStringLiteral("wayland-bare"));
    const int fd = listeningSocket(m_socket);
    if (fd < 0)
        return;
    m_display = wl_display_create();
    if (wl_display_add_socket_fd(m_display, fd) != 0) {
        ::close(fd);
        return;
    }
    if (seat)
        wl_global_create(m_display, &wl_seat_interface, 1, nullptr, bindSeat);
    if (virtualPointer) {
        wl_global_create(m_display, &zwlr_virtual_pointer_manager_v1_interface, 1, nullptr,
                         bindManager);
    }
    m_thread = std::thread([this] {
        wl_event_loop* loop = wl_display_get_event_loop(m_display);
        while (!m_stop) {
            wl_event_loop_dispatch(loop, 20);
            wl_display_flush_clients(m_display);
        }
    });
}

BareCompositor::~BareCompositor() {
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
    if (m_display) {
        wl_display_destroy_clients(m_display);
        wl_display_destroy(m_display);
    }
}

} // namespace tivrel::test
