#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct _XDisplay;

namespace tivrel::bench {

// Nanoseconds on CLOCK_MONOTONIC, the clock every figure of the benchmark is taken on; it is
// the same in every process of the machine.
std::int64_t monotonicNow();

enum class PointerEventKind { Press, Release, Motion };

struct PointerEvent {
    PointerEventKind kind;
    int button; // 1 left, 2 middle, 3 right; 0 for motion
    int rootX;  // where the pointer was, on the root window
    int rootY;
    std::uint32_t serverTime; // the server's millisecond time stamp
    std::int64_t receivedNs;  // monotonicNow() when the recorder read the event
};

// Records every button press and release (and every pointer motion) the X server processes,
// whichever client caused them, through the RECORD extension. It uses two connections of its
// own: one to set the recording up and tear it down, one that a thread of its own reads. Events
// are time-stamped the moment that thread reads them.
class ClickRecorder {
public:
    ClickRecorder() = default;
    ~ClickRecorder();
    ClickRecorder(const ClickRecorder&) = delete;
    ClickRecorder& operator=(const ClickRecorder&) = delete;

    // Connects to the display named (DISPLAY when empty) and starts recording. On failure
    // returns false and says why in error.
    bool start(const std::string& displayName, std::string* error);
    // Ends the recording; returns within about 100 ms. Harmless when not started.
    void stop();

    // The events recorded since the last call, in the server's order.
    std::vector<PointerEvent> take();
    // Presses recorded since the last take().
    std::size_t presses() const;
    // Waits until presses() reaches count or the time is up; true if it was reached.
    bool waitForPresses(std::size_t count, std::chrono::milliseconds timeout);

    // Whether the reading thread got a real-time priority, so that its time stamps are not
    // held back by other busy programs.
    bool realTime() const { return m_realTime.load(); }
    // Milliseconds the reading thread was ready but waited for a processor, so far.
    double runQueueWaitMs() const;

private:
    friend struct RecorderCallback;
    void readLoop();
    void received(const PointerEvent& event);

    _XDisplay* m_control = nullptr;
    _XDisplay* m_data = nullptr;
    unsigned long m_context = 0;
    std::thread m_thread;
    std::atomic<bool> m_stopping{false};
    std::atomic<bool> m_realTime{false};
    std::atomic<int> m_threadId{0};

    mutable std::mutex m_mutex;
    std::condition_variable m_pressed;
    std::vector<PointerEvent> m_events;
    std::size_t m_presses = 0;
};

} // namespace tivrel::bench
