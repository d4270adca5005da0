#pragma once

#include "platform/Mouse.h"

#include <vector>

namespace tivrel::test {

// Records every injected event; the pointer stays where the test puts it.
class FakeMouse final : public Mouse {
public:
    void mouseEvent(quint32 flags) override { events.push_back(flags); }
    PointerPosition cursorPos() override {
        ++positionReads;
        return position;
    }

    std::vector<quint32> events;
    PointerPosition position{100, 200};
    int positionReads = 0;
};

} // namespace tivrel::test
