#include "platform/qt/QtWindowCommands.h"

#include <QWidget>
#include <QWindow>

#include <gtest/gtest.h>

namespace tivrel::test {
namespace {

// Removing the close command from a window, shown or not yet shown: the window keeps its
// state and its native window, and the close button stays away across a hide and show.
struct CloseCommandCase {
    const char* name;
    bool shownBefore;
};

const CloseCommandCase kCloseCommandCases[] = {{"NotYetShown", false}, {"Shown", true}};

class RemoveCloseCommand : public ::testing::TestWithParam<CloseCommandCase> {};

bool offersClose(const QWidget& window) {
    const bool widget = window.windowFlags().testFlag(Qt::WindowCloseButtonHint);
    const QWindow* handle = window.windowHandle();
    EXPECT_TRUE(!handle || handle->flags().testFlag(Qt::WindowCloseButtonHint) == widget)
        << "the widget and its native window disagree";
    return widget;
}

TEST_P(RemoveCloseCommand, ActsInPlaceAndLasts) {
    QWidget window;
    window.setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    if (GetParam().shownBefore)
        window.show();
    const WId before = GetParam().shownBefore ? window.winId() : 0;
    ASSERT_TRUE(offersClose(window));

    QtWindowCommands().removeCloseCommand(window);
    EXPECT_FALSE(offersClose(window));
    EXPECT_EQ(window.isVisible(), GetParam().shownBefore) << "the window was hidden";
    if (GetParam().shownBefore) {
        EXPECT_EQ(window.winId(), before) << "the native window was made again";
    }
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::WindowMinimizeButtonHint))
        << "only the close command goes";

    window.hide();
    window.show();
    EXPECT_FALSE(offersClose(window));
}

INSTANTIATE_TEST_SUITE_P(WindowCommands, RemoveCloseCommand,
                         ::testing::ValuesIn(kCloseCommandCases),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace tivrel::test
