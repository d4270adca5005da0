#pragma once

#include "platform/PointerWatch.h"

namespace tivrel {

// Where no protocol tells a program where the pointer is outside its own windows (Wayland),
// the watch sees nothing, and says so: a run there ends by ENTER or by its amount.
class BlindPointerWatch final : public PointerWatch {
public:
    void begin() override {}
    bool moved() override { return false; }
    void end() override {}
    bool seesMoves() const override { return false; }
};

} // namespace tivrel
