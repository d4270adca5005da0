#pragma once

#include "platform/Mouse.h"
#include "platform/PointerWatch.h"

#include <functional>
#include <ostream>
#include <vector>

namespace tivrel::test {

// One button transition as the fake mouse received it.
struct ButtonEvent {
    MouseButton button;
    bool press;
    friend bool operator==(const ButtonEvent&, const ButtonEvent&) = default;
    friend std::ostream& operator<<(std::ostream& out, const ButtonEvent& e) {
        const char* names[] = {"left", "right", "middle"};
        return out << names[int(e.button)] << (e.press ? " down" : " up");
    }
};

// Records every transition that reached the desktop. Where the test says so, the desktop
// asks the user first (answer), and can take its leave back (loseSession).
class FakeMouse final : public Mouse {
public:
    void press(MouseButton button) override {
        if (!gone)
            events.push_back({button, true});
    }
    void release(MouseButton button) override {
        if (!gone)
            events.push_back({button, false});
    }
    bool mustAsk() const override { return asksFirst && !granted; }
    QString askNotice() override { return std::exchange(notice, QString()); }
    bool ask(QString* refusal) override {
        ++asks;
        granted = answer ? answer(refusal) : true;
        gone = false;
        return granted;
    }
    bool lost() const override { return gone; }
    void loseSession() {
        gone = true;
        granted = false;
    }

    std::vector<ButtonEvent> events;
    bool asksFirst = false;
    bool granted = false;
    bool gone = false;
    int asks = 0;
    QString notice;
    std::function<bool(QString* refusal)> answer; // none: granted
};

// The pointer moves when the test says; counts the looks and the runs watched.
class FakePointerWatch final : public PointerWatch {
public:
    void begin() override {
        ++begins;
        watching = true;
        m_moved = false;
    }
    bool moved() override {
        ++looks;
        return m_moved;
    }
    void end() override { watching = false; }
    bool seesMoves() const override { return sees; }

    // The user touches the pointer; only a watched run sees it.
    void move() { m_moved = m_moved || watching; }

    int begins = 0;
    int looks = 0;
    bool watching = false;
    bool sees = true; // false: a desktop that shows no program the pointer

private:
    bool m_moved = false;
};

} // namespace tivrel::test
