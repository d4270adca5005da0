#pragma once

#include "platform/PointerWatch.h"

#include <atomic>
#include <cstdint>

namespace tivrel {

// Windows tells no thread of motion as it happens: the watch compares the pointer's place,
// read with GetCursorPos before each click and at each look of the mouse watch, with where
// it was when the run began. Asking costs no other process anything.
class Win32PointerWatch final : public PointerWatch {
public:
    void begin() override;
    bool moved() override;
    void end() override {}

private:
    // The place as one word, x in the high half: the click thread and the UI thread read it.
    std::uint64_t place();

    std::atomic<std::uint64_t> m_start{0};
    std::atomic<std::uint64_t> m_last{0};
    std::atomic<bool> m_moved{false};
    std::atomic<bool> m_readFailed{false};
};

} // namespace tivrel
