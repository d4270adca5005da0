#pragma once

#include "platform/Mouse.h"

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

// Records every injected transition; the pointer stays where the test puts it.
class FakeMouse final : public Mouse {
public:
    void press(MouseButton button) override { events.push_back({button, true}); }
    void release(MouseButton button) override { events.push_back({button, false}); }
    PointerPosition position() override {
        ++positionReads;
        return place;
    }

    std::vector<ButtonEvent> events;
    PointerPosition place{100, 200};
    int positionReads = 0;
};

} // namespace tivrel::test
