#pragma once

#include "CompositorHand.h"

#include <QPoint>
#include <QString>

#include <cstdint>

struct wl_display;
struct org_kde_kwin_fake_input;

namespace tivrel::test {

// KWin's fake input for the test program, the hand that moves the pointer (and presses keys)
// on a KWin as the user's would, beside the program's own portal session. KWin offers it only to a
// program whose desktop file asks for it (KWinSession writes one). Each call returns once KWin has
// handled it.
class KWinFakeInput final : public CompositorHand {
public:
    KWinFakeInput() = default;
    ~KWinFakeInput() override;
    KWinFakeInput(const KWinFakeInput&) = delete;
    KWinFakeInput& operator=(const KWinFakeInput&) = delete;

    bool open(const QString& socket);
    bool moveTo(QPoint place) override;
    bool button(int code, bool pressed) override;
    // A key by its Linux input code (KEY_F6, ...), pressed or released, as on the keyboard.
    bool key(std::uint32_t code, bool pressed);

private:
    wl_display* m_display = nullptr;
    org_kde_kwin_fake_input* m_input = nullptr;
};

} // namespace tivrel::test
