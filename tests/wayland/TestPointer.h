#pragma once

#include <QPoint>
#include <QSize>
#include <QString>

#include <cstdint>

struct wl_display;
struct wl_seat;
struct zwlr_virtual_pointer_manager_v1;
struct zwlr_virtual_pointer_v1;

namespace tivrel::test {

// A virtual pointer of the test's own, the hand that moves the pointer (the session's mouse
// never does) and clicks as the user does. Each call returns once sway has handled it.
class TestPointer {
public:
    TestPointer() = default;
    ~TestPointer();
    TestPointer(const TestPointer&) = delete;
    TestPointer& operator=(const TestPointer&) = delete;

    bool open(const QString& socket);
    // To a place on an output of `extent` pixels.
    bool moveTo(QPoint place, QSize extent);
    // `code` as linux/input-event-codes.h numbers the buttons.
    bool button(std::uint32_t code, bool press);

private:
    wl_display* m_display = nullptr;
    wl_seat* m_seat = nullptr;
    zwlr_virtual_pointer_manager_v1* m_manager = nullptr;
    zwlr_virtual_pointer_v1* m_pointer = nullptr;
};

} // namespace tivrel::test
