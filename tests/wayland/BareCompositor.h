#pragma once

#include <QString>
#include <QTemporaryDir>

#include <atomic>
#include <thread>

struct wl_display;

namespace tivrel::test {

// A Wayland server that offers nothing but the globals asked for, each of them answering no
// request: a desktop that lacks what the session needs, where sway would have everything.
// It serves on a thread of its own until the object goes.
class BareCompositor {
public:
    BareCompositor(bool seat, bool virtualPointer);
    ~BareCompositor();
    BareCompositor(const BareCompositor&) = delete;
    BareCompositor& operator=(const BareCompositor&) = delete;

    bool isRunning() const { return m_thread.joinable(); }
    // WAYLAND_DISPLAY for a client: the socket's full path.
    QString socket() const { return m_socket; }

private:
    QTemporaryDir m_folder;
    QString m_socket;
    wl_display* m_display = nullptr;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

} // namespace tivrel::test
