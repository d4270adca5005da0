#include "platform/wayland/ScreenCastPointerWatch.h"

#include <QDebug>

#include <pipewire/pipewire.h>
#include <spa/buffer/meta.h>
#include <spa/param/video/format-utils.h>
#include <spa/pod/builder.h>
#include <spa/utils/result.h>

#include <sys/eventfd.h>
#include <unistd.h>

namespace tivrel {

// PipeWire's own thread (pw_thread_loop) reads the stream: the UI thread may be busy drawing
// and the click thread sleeps in ppoll, and the brake must not wait for either. That thread
// reads each buffer's cursor as it comes and wakes the click thread through the eventfd, so
// moved() is a load of an atomic that both threads can make at once.
struct ScreenCastPointerWatch::Listeners {
    spa_hook core;
    spa_hook stream;
    pw_core_events coreEvents;
    pw_stream_events streamEvents;
};

namespace {

// Room for the cursor's picture in the metadata, which the compositor fills when the picture
// changes (mutter 43 asks room for 384 x 384); the watch reads only the place.
constexpr int cursorMetaSize(int side) {
    return int(sizeof(spa_meta_cursor) + sizeof(spa_meta_bitmap)) + side * side * 4;
}

void initPipeWire() {
    static const bool once = [] {
        pw_init(nullptr, nullptr);
        return true;
    }();
    (void)once;
}

} // namespace

ScreenCastPointerWatch::ScreenCastPointerWatch() = default;

ScreenCastPointerWatch::~ScreenCastPointerWatch() {
    disconnectStream();
}

void ScreenCastPointerWatch::disconnectStream() {
    if (m_loop)
        pw_thread_loop_stop(m_loop);
    if (m_stream)
        pw_stream_destroy(m_stream);
    if (m_core)
        pw_core_disconnect(m_core);
    if (m_context)
        pw_context_destroy(m_context);
    if (m_loop)
        pw_thread_loop_destroy(m_loop);
    delete std::exchange(m_listeners, nullptr);
    m_stream = nullptr;
    m_core = nullptr;
    m_context = nullptr;
    m_loop = nullptr;
    m_connected = false;
    m_nodeUp = false;
    m_failed = false;
    m_haveLast = false;
}

bool ScreenCastPointerWatch::connectStream(int pipewireFd, quint32 nodeId, QString* error) {
    // A session granted again after the desktop ended the last one brings a stream of its own.
    disconnectStream();
    initPipeWire();
    m_loop = pw_thread_loop_new("tivrel-brake", nullptr);
    m_context = m_loop ? pw_context_new(pw_thread_loop_get_loop(m_loop), nullptr, 0) : nullptr;
    if (!m_context || pw_thread_loop_start(m_loop) < 0) {
        close(pipewireFd);
        *error = QStringLiteral("PipeWire could not be started in the program");
        return false;
    }
    pw_thread_loop_lock(m_loop);
    // The core owns the descriptor from here on, whether it connects or not.
    m_core = pw_context_connect_fd(m_context, pipewireFd, nullptr, 0);
    if (!m_core) {
        pw_thread_loop_unlock(m_loop);
        *error = QStringLiteral("no connection to PipeWire: %1").arg(strerror(errno));
        return false;
    }
    m_listeners = new Listeners{};
    m_listeners->coreEvents.version = PW_VERSION_CORE_EVENTS;
    m_listeners->coreEvents.error = [](void*, uint32_t id, int, int res, const char* message) {
        qWarning("pointer watch: PipeWire error on %u: %s (%s)", id, message, spa_strerror(res));
    };
    pw_core_add_listener(m_core, &m_listeners->core, &m_listeners->coreEvents, this);

    m_stream = pw_stream_new(m_core, "Tivrel pointer watch",
                             pw_properties_new(PW_KEY_MEDIA_TYPE, "Video", PW_KEY_MEDIA_CATEGORY,
                                               "Capture", PW_KEY_MEDIA_ROLE, "Screen", nullptr));
    m_listeners->streamEvents.version = PW_VERSION_STREAM_EVENTS;
    m_listeners->streamEvents.param_changed = [](void* self, uint32_t id, const spa_pod* param) {
        if (id == SPA_PARAM_Format && param)
            static_cast<ScreenCastPointerWatch*>(self)->onFormat();
    };
    m_listeners->streamEvents.state_changed = [](void* self, pw_stream_state, pw_stream_state state,
                                                 const char* message) {
        if (state == PW_STREAM_STATE_ERROR)
            qWarning("pointer watch: the screen cast stream failed: %s", message);
        auto* watch = static_cast<ScreenCastPointerWatch*>(self);
        watch->m_nodeUp = state == PW_STREAM_STATE_PAUSED || state == PW_STREAM_STATE_STREAMING;
        watch->m_failed = state == PW_STREAM_STATE_ERROR;
        pw_thread_loop_signal(watch->m_loop, false);
    };
    m_listeners->streamEvents.process = [](void* self) {
        static_cast<ScreenCastPointerWatch*>(self)->onBuffers();
    };
    pw_stream_add_listener(m_stream, &m_listeners->stream, &m_listeners->streamEvents, this);

    // Any size and pixel format the monitor has; at most kMaxFramesPerSecond frames.
    uint8_t buffer[1024];
    spa_pod_builder builder = SPA_POD_BUILDER_INIT(buffer, sizeof buffer);
    const spa_rectangle anySize = SPA_RECTANGLE(1280, 1024);
    const spa_rectangle smallest = SPA_RECTANGLE(1, 1);
    const spa_rectangle largest = SPA_RECTANGLE(16384, 16384);
    const spa_fraction noRate = SPA_FRACTION(0, 1);
    const spa_fraction cap = SPA_FRACTION(kMaxFramesPerSecond, 1);
    const spa_fraction slowest = SPA_FRACTION(1, 1);
    const spa_pod* params[] = {static_cast<const spa_pod*>(spa_pod_builder_add_object(
        &builder, SPA_TYPE_OBJECT_Format, SPA_PARAM_EnumFormat, SPA_FORMAT_mediaType,
        SPA_POD_Id(SPA_MEDIA_TYPE_video), SPA_FORMAT_mediaSubtype,
        SPA_POD_Id(SPA_MEDIA_SUBTYPE_raw), SPA_FORMAT_VIDEO_format,
        SPA_POD_CHOICE_ENUM_Id(5, SPA_VIDEO_FORMAT_BGRx, SPA_VIDEO_FORMAT_BGRx,
                               SPA_VIDEO_FORMAT_BGRA, SPA_VIDEO_FORMAT_RGBx, SPA_VIDEO_FORMAT_RGBA),
        SPA_FORMAT_VIDEO_size, SPA_POD_CHOICE_RANGE_Rectangle(&anySize, &smallest, &largest),
        SPA_FORMAT_VIDEO_framerate, SPA_POD_Fraction(&noRate), SPA_FORMAT_VIDEO_maxFramerate,
        SPA_POD_CHOICE_RANGE_Fraction(&cap, &slowest, &cap)))};
    // Inactive until a run begins.
    const int connected = pw_stream_connect(
        m_stream, PW_DIRECTION_INPUT, nodeId,
        pw_stream_flags(PW_STREAM_FLAG_AUTOCONNECT | PW_STREAM_FLAG_INACTIVE), params, 1);
    // A stream made active before its node is up stays without frames: the first run waits
    // here for it instead.
    timespec deadline{};
    pw_thread_loop_get_time(m_loop, &deadline, kConnectWait.count() * SPA_NSEC_PER_MSEC);
    while (connected >= 0 && !m_nodeUp && !m_failed &&
           pw_thread_loop_timed_wait_full(m_loop, &deadline) == 0) {
    }
    const bool nodeUp = m_nodeUp;
    // One frame now, so that a run whose own first frame comes late has a place to start
    // from: without one, a move made before that frame would be taken for the start. A
    // stream that brings none is one nobody linked to the compositor's (PipeWire without its
    // session manager): it would never tell a move, so the watch must not claim to see.
    if (nodeUp) {
        pw_stream_set_active(m_stream, true);
        pw_thread_loop_get_time(m_loop, &deadline, kConnectWait.count() * SPA_NSEC_PER_MSEC);
        while (!m_haveLast && pw_thread_loop_timed_wait_full(m_loop, &deadline) == 0) {
        }
        pw_stream_set_active(m_stream, false);
    }
    const bool pictured = m_haveLast;
    pw_thread_loop_unlock(m_loop);
    if (connected < 0 || !nodeUp || !pictured) {
        QString why = QStringLiteral("PipeWire did not set it up");
        if (connected < 0)
            why = QString::fromLocal8Bit(spa_strerror(connected));
        else if (nodeUp)
            why = QStringLiteral("no picture from the compositor within %1 ms (is PipeWire's "
                                 "session manager running?)")
                      .arg(kConnectWait.count());
        *error = QStringLiteral("the screen cast stream did not connect: ") + why;
        disconnectStream();
        return false;
    }
    m_connected = true;
    return true;
}

void ScreenCastPointerWatch::onFormat() {
    // The cursor as metadata on every buffer.
    uint8_t buffer[256];
    spa_pod_builder builder = SPA_POD_BUILDER_INIT(buffer, sizeof buffer);
    const spa_pod* params[] = {static_cast<const spa_pod*>(spa_pod_builder_add_object(
        &builder, SPA_TYPE_OBJECT_ParamMeta, SPA_PARAM_Meta, SPA_PARAM_META_type,
        SPA_POD_Id(SPA_META_Cursor), SPA_PARAM_META_size,
        SPA_POD_CHOICE_RANGE_Int(cursorMetaSize(384), cursorMetaSize(1), cursorMetaSize(512))))};
    pw_stream_update_params(m_stream, params, 1);
}

void ScreenCastPointerWatch::onBuffers() {
    while (pw_buffer* b = pw_stream_dequeue_buffer(m_stream)) {
        const auto* cursor = static_cast<const spa_meta_cursor*>(
            spa_buffer_find_meta_data(b->buffer, SPA_META_Cursor, sizeof(spa_meta_cursor)));
        // While a client sets its cursor, a buffer or two has none (id 0).
        if (cursor && spa_meta_cursor_is_valid(cursor))
            place(cursor->position.x, cursor->position.y);
        else
            noPlace();
        pw_stream_queue_buffer(m_stream, b);
    }
}

void ScreenCastPointerWatch::place(int x, int y) {
    m_placesSeen.fetch_add(1, std::memory_order_acq_rel);
    const bool known = m_haveLast;
    const int lastX = m_lastX;
    const int lastY = m_lastY;
    m_haveLast = true;
    m_lastX = x;
    m_lastY = y;
    if (!known)
        pw_thread_loop_signal(m_loop, false); // connectStream waits for the first place
    if (!m_watching)
        return;
    if (!m_tracker.hasStart()) {
        // The first frame came late or without a cursor: the place before the run stands
        // in for the start, so that a move made meanwhile is not taken for the start place.
        if (m_startLate && known)
            m_tracker.setStart(lastX, lastY);
        m_firstFrame = true;
        pw_thread_loop_signal(m_loop, false);
    }
    m_tracker.tell(x, y);
}

void ScreenCastPointerWatch::noPlace() {
    if (!m_watching || m_firstFrame)
        return;
    m_firstFrame = true;
    m_startLate = true;
    pw_thread_loop_signal(m_loop, false);
}

void ScreenCastPointerWatch::begin() {
    if (!m_connected)
        return;
    pw_thread_loop_lock(m_loop);
    m_tracker.begin();
    m_firstFrame = false;
    m_startLate = false;
    m_watching = true;
    pw_stream_set_active(m_stream, true);
    // The compositor sends a frame as the stream starts, still screen or not (70-100 ms on
    // headless mutter 43): its cursor is the start place. Waiting for it here means no click
    // goes before the start place is known, so a move made after begin() returns is never
    // taken for the start.
    timespec deadline{};
    pw_thread_loop_get_time(m_loop, &deadline, kFirstFrameWait.count() * SPA_NSEC_PER_MSEC);
    while (!m_firstFrame) {
        if (pw_thread_loop_timed_wait_full(m_loop, &deadline) != 0) {
            m_startLate = true;
            qWarning("pointer watch: no frame of the screen cast within %lld ms of the start",
                     static_cast<long long>(kFirstFrameWait.count()));
            break;
        }
    }
    pw_thread_loop_unlock(m_loop);
}

void ScreenCastPointerWatch::end() {
    if (!m_connected)
        return;
    pw_thread_loop_lock(m_loop);
    m_watching = false;
    m_tracker.end();
    pw_stream_set_active(m_stream, false);
    pw_thread_loop_unlock(m_loop);
}

} // namespace tivrel
