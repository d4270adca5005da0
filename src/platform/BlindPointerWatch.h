#pragma once

#include "platform/PointerWatch.h"

namespace tivrel {

// A watch that sees nothing, and says so: where no protocol tells a program where the pointer
// is outside its own windows (wlroots compositors), and for tools that never run. A run then
// ends by ENTER or by its amount.
class BlindPointerWatch final : public PointerWatch {
public:
    void begin() override {}
    bool moved() override { return false; }
    void end() override {}
    bool seesMoves() const override { return false; }
};

} // namespace tivrel
