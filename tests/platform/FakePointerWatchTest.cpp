// The fake pointer watch the engine's tests stand on keeps the contract the real ones keep.
#include "fakes/FakeMouse.h"
#include "platform/PointerWatchContract.h"

namespace tivrel::test {
namespace {

class FakeWatchRig final : public PointerWatchRig {
public:
    bool ready() const override { return true; }
    PointerWatch& watch() override { return m_watch; }
    Mouse& mouse() override { return m_mouse; }
    void movePointer(int x, int y) override {
        if (x != m_x || y != m_y)
            m_watch.move();
        m_x = x;
        m_y = y;
    }
    void settle() override {}
    bool seesEveryMotion() const override { return true; }

private:
    FakePointerWatch m_watch;
    FakeMouse m_mouse;
    int m_x = 0;
    int m_y = 0;
};

TIVREL_POINTER_WATCH_CONTRACT(FakePointerWatchContract, FakeWatchRig);

} // namespace
} // namespace tivrel::test
