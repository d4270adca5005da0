// Which releases on a clickable label are clicks. The window behind never sees one: the
// information window would take it for a click on its ground and close.
#include "widgets/ClickableLabel.h"

#include <QApplication>
#include <QMouseEvent>

#include <gtest/gtest.h>

namespace tivrel::test {
namespace {

class ReleaseCounter final : public QWidget {
public:
    int releases = 0;

protected:
    void mouseReleaseEvent(QMouseEvent*) override { ++releases; }
};

struct ReleaseCase {
    const char* name;
    Qt::MouseButton button;
    QPoint releasedAt; // the press is always on the label, at (5, 5)
    int clicks;
};

class ClickableLabelTest : public ::testing::TestWithParam<ReleaseCase> {};

TEST_P(ClickableLabelTest, CountsOnlyALeftPressAndReleaseOnIt) {
    const ReleaseCase& c = GetParam();
    ReleaseCounter behind;
    ClickableLabel label(QStringLiteral("100"), &behind);
    label.setGeometry(0, 0, 40, 17);
    int clicks = 0;
    QObject::connect(&label, &ClickableLabel::clicked, [&] { ++clicks; });

    const QPointF pressedAt(5, 5);
    QMouseEvent press(QEvent::MouseButtonPress, pressedAt, label.mapToGlobal(pressedAt), c.button,
                      c.button, Qt::NoModifier);
    QApplication::sendEvent(&label, &press);
    const QPointF at(c.releasedAt);
    QMouseEvent release(QEvent::MouseButtonRelease, at, label.mapToGlobal(at), c.button,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&label, &release);

    EXPECT_EQ(clicks, c.clicks);
    EXPECT_EQ(behind.releases, 0);
}

INSTANTIATE_TEST_SUITE_P(Widgets, ClickableLabelTest,
                         ::testing::Values(ReleaseCase{"LeftOnIt", Qt::LeftButton, {20, 8}, 1},
                                           ReleaseCase{"RightOnIt", Qt::RightButton, {20, 8}, 0},
                                           ReleaseCase{"LeftOffIt", Qt::LeftButton, {60, 8}, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace tivrel::test
