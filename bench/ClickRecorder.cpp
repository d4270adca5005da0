#include "ClickRecorder.h"

#include <X11/Xlib.h>
#include <X11/extensions/record.h>

#include <cstring>
#include <ctime>
#include <fstream>
#include <poll.h>
#include <pthread.h>
#include <sched.h>
#include <unistd.h>

namespace tivrel::bench {

std::int64_t monotonicNow() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return std::int64_t(now.tv_sec) * 1000000000 + now.tv_nsec;
}

// Turns the RECORD extension's raw data into events for the recorder.
struct RecorderCallback {
    static void intercept(XPointer closure, XRecordInterceptData* data) {
        const std::int64_t receivedNs = monotonicNow();
        auto* recorder = reinterpret_cast<ClickRecorder*>(closure);
        // A device event is one 32-byte event in wire format: type, detail (the button),
        // sequence, time, root, event and child windows, then rootX and rootY.
        if (data->category == XRecordFromServer && data->data_len * 4 >= 24) {
            const unsigned char* bytes = data->data;
            const int type = bytes[0] & 0x7f;
            std::uint32_t serverTime = 0;
            std::int16_t rootX = 0;
            std::int16_t rootY = 0;
            std::memcpy(&serverTime, bytes + 4, sizeof serverTime);
            std::memcpy(&rootX, bytes + 20, sizeof rootX);
            std::memcpy(&rootY, bytes + 22, sizeof rootY);
            PointerEvent event{PointerEventKind::Motion, 0, rootX, rootY, serverTime, receivedNs};
            bool wanted = true;
            if (type == ButtonPress) {
                event.kind = PointerEventKind::Press;
                event.button = bytes[1];
            } else if (type == ButtonRelease) {
                event.kind = PointerEventKind::Release;
                event.button = bytes[1];
            } else if (type != MotionNotify) {
                wanted = false;
            }
            if (wanted)
                recorder->received(event);
        }
        XRecordFreeData(data);
    }
};

ClickRecorder::~ClickRecorder() {
    stop();
}

bool ClickRecorder::start(const std::string& displayName, std::string* error) {
    const char* name = displayName.empty() ? nullptr : displayName.c_str();
    m_control = XOpenDisplay(name);
    m_data = XOpenDisplay(name);
    if (!m_control || !m_data) {
        *error = "cannot connect to the X display for recording";
        stop();
        return false;
    }
    int major = 0;
    int minor = 0;
    if (!XRecordQueryVersion(m_control, &major, &minor)) {
        *error = "the X server has no RECORD extension";
        stop();
        return false;
    }
    XRecordRange* range = XRecordAllocRange();
    if (!range) {
        *error = "out of memory";
        stop();
        return false;
    }
    // ButtonPress (4), ButtonRelease (5) and MotionNotify (6) are neighbours.
    range->device_events.first = ButtonPress;
    range->device_events.last = MotionNotify;
    XRecordClientSpec clients = XRecordAllClients;
    m_context = XRecordCreateContext(m_control, 0, &clients, 1, &range, 1);
    XFree(range);
    if (!m_context) {
        *error = "the X server refused a recording context";
        stop();
        return false;
    }
    // The context must exist on the server before the other connection enables it.
    XSync(m_control, False);
    if (!XRecordEnableContextAsync(m_data, m_context, &RecorderCallback::intercept,
                                   reinterpret_cast<XPointer>(this))) {
        *error = "the X server refused to start recording";
        stop();
        return false;
    }
    m_stopping = false;
    m_thread = std::thread([this] { readLoop(); });
    sched_param priority{};
    priority.sched_priority = 10;
    m_realTime = ::pthread_setschedparam(m_thread.native_handle(), SCHED_FIFO, &priority) == 0;
    // The thread's id names its scheduler figures; it is there within microseconds.
    for (int tries = 0; tries < 1000 && m_threadId.load() == 0; ++tries)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return true;
}

void ClickRecorder::stop() {
    m_stopping = true;
    if (m_thread.joinable())
        m_thread.join();
    if (m_control && m_context) {
        XRecordDisableContext(m_control, m_context);
        XRecordFreeContext(m_control, m_context);
        XSync(m_control, False);
    }
    m_context = 0;
    if (m_data)
        XCloseDisplay(m_data);
    if (m_control)
        XCloseDisplay(m_control);
    m_data = nullptr;
    m_control = nullptr;
}

void ClickRecorder::readLoop() {
    m_threadId = int(::gettid());
    pollfd watched{ConnectionNumber(m_data), POLLIN, 0};
    while (!m_stopping.load()) {
        // A short wait so that stop() is noticed soon; data already buffered by Xlib is
        // handled whether or not the socket has more.
        const int ready = ::poll(&watched, 1, 20);
        if (ready > 0 && (watched.revents & (POLLERR | POLLHUP | POLLNVAL)))
            break;
        XRecordProcessReplies(m_data);
    }
}

void ClickRecorder::received(const PointerEvent& event) {
    {
        const std::lock_guard lock(m_mutex);
        m_events.push_back(event);
        if (event.kind == PointerEventKind::Press)
            ++m_presses;
    }
    if (event.kind == PointerEventKind::Press)
        m_pressed.notify_all();
}

std::vector<PointerEvent> ClickRecorder::take() {
    const std::lock_guard lock(m_mutex);
    std::vector<PointerEvent> events;
    events.swap(m_events);
    m_presses = 0;
    return events;
}

double ClickRecorder::runQueueWaitMs() const {
    std::ifstream schedstat("/proc/self/task/" + std::to_string(m_threadId.load()) + "/schedstat");
    double runNs = 0;
    double waitNs = 0;
    schedstat >> runNs >> waitNs;
    return waitNs / 1e6;
}

std::size_t ClickRecorder::presses() const {
    const std::lock_guard lock(m_mutex);
    return m_presses;
}

bool ClickRecorder::waitForPresses(std::size_t count, std::chrono::milliseconds timeout) {
    std::unique_lock lock(m_mutex);
    return m_pressed.wait_for(lock, timeout, [&] { return m_presses >= count; });
}

} // namespace tivrel::bench
