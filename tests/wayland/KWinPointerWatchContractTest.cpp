// The contract every watch keeps, for the KWin script watch: the program's clicks through the
// portal, the moves through KWin's fake input.
#include "KWinFakeInput.h"
#include "KWinSession.h"

#include "platform/PointerWatchContract.h"
#include "platform/wayland/KWinScriptPointerWatch.h"
#include "platform/wayland/PortalMouse.h"

#include <memory>

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

} // namespace
} // namespace tivrel::test
