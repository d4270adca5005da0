// The contract every watch keeps, for the KWin script watch: the program's clicks through the
// portal, the moves through KWin's fake input.
#include "KWinFakeInput.h"
#include "KWinSession.h"

#include "platform/PointerWatchContract.h"
#include "platform/wayland/EisButtons.h"
#include "platform/wayland/KWinScriptPointerWatch.h"
#include "platform/wayland/PortalMouse.h"

#include <chrono>
#include <memory>
#include <thread>

namespace tivrel::test {
namespace {

class KWinWatchRig final : public PointerWatchRig {
public:
    KWinWatchRig() {
        if (!m_session.start(&m_error))
            return;
        if (!m_input.open(m_session.socket())) {
            m_error = QStringLiteral("KWin did not grant its fake input to the test program");
            return;
        }
        m_watch = std::make_unique<KWinScriptPointerWatch>(m_session.bus());
        m_mouse = std::make_unique<PortalMouse>(
            PortalMouse::Asking{.notice = {},
                                .request = [] { return RemoteDesktopPortal::Request{}; },
                                .granted = {}},
            [this] { return std::make_unique<RemoteDesktopPortal>(m_session.bus()); });
        if (!m_mouse->ask(&m_error))
            return;
    }

    bool ready() const override { return m_error.isEmpty() && m_watch && m_watch->seesMoves(); }
    PointerWatch& watch() override { return *m_watch; }
    Mouse& mouse() override { return *m_mouse; }
    KWinSession& session() { return m_session; }
    void movePointer(int x, int y) override { m_input.moveTo({x, y}); }
    void settle() override { m_watch->sync(); }
    // KWin runs the script on each change of the pointer's place.
    bool seesEveryMotion() const override { return true; }

private:
    QString m_error;
    KWinSession m_session;
    KWinFakeInput m_input;
    std::unique_ptr<KWinScriptPointerWatch> m_watch;
    std::unique_ptr<PortalMouse> m_mouse;
};

TIVREL_POINTER_WATCH_CONTRACT(KWinScriptPointerWatchContract, KWinWatchRig);

// Where KDE's portal hands out KWin's input socket (Plasma 6.3) the clicks take it, and a
// connection that ends is a lost permission at the next click, before the UI thread has
// heard anything over D-Bus.
TEST(KWinPortalInputSocket, AConnectionThatEndsIsALostPermission) {
    using namespace std::chrono_literals;
    if (!eisConnector())
        GTEST_SKIP() << "this build has no libei (Debian 12): the clicks go through D-Bus";
    KWinWatchRig rig;
    ASSERT_TRUE(rig.ready());
    auto& mouse = dynamic_cast<PortalMouse&>(rig.mouse());
    ASSERT_TRUE(mouse.throughEis()) << "no input socket from KDE's portal";
    mouse.click(MouseButton::Left);
    EXPECT_FALSE(mouse.lost());

    rig.session().portalBackend().kill();
    bool lost = false;
    for (int i = 0; i < 50 && !lost; ++i) {
        const auto before = std::chrono::steady_clock::now();
        mouse.click(MouseButton::Left);
        EXPECT_LT(std::chrono::steady_clock::now() - before, 2500ms) << "click " << i;
        lost = mouse.lost();
        std::this_thread::sleep_for(20ms);
    }
    EXPECT_TRUE(lost);
    EXPECT_TRUE(mouse.mustAsk());
}

} // namespace
} // namespace tivrel::test
