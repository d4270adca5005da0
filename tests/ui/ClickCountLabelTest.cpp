// The click count label: what the run reads is always the count, while what is drawn
// catches up at most one frame later and then rests.
#include "ui/ClickCountLabel.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QWidget>

#include <map>

#include <gtest/gtest.h>

namespace tivrel::test {
namespace {

// Runs the event loop until the label has drawn its count and stopped its frame timer.
bool settle(const ClickCountLabel& label) {
    QElapsedTimer waited;
    waited.start();
    while (label.isCatchingUp() && waited.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return !label.isCatchingUp();
}

class ClickCountLabelTest : public ::testing::Test {
protected:
    QWidget window;
    ClickCountLabel label{QStringLiteral("0"), &window};
};

TEST_F(ClickCountLabelTest, ALabelAtRestDrawsANewCountAtOnce) {
    EXPECT_FALSE(label.isCatchingUp());
    label.setText(QStringLiteral("1"));
    EXPECT_EQ(label.text(), QStringLiteral("1"));
    EXPECT_EQ(label.drawnText(), QStringLiteral("1"));
}

TEST_F(ClickCountLabelTest, ABurstIsReadExactlyAndDrawnByTheNextFrame) {
    for (int count = 1; count <= 50; ++count) {
        label.setText(QString::number(count));
        ASSERT_EQ(label.text(), QString::number(count));
    }
    // Within the frame only the first count of the burst was drawn.
    EXPECT_EQ(label.drawnText(), QStringLiteral("1"));
    ASSERT_TRUE(settle(label)) << "the frame timer never stopped";
    EXPECT_EQ(label.drawnText(), QStringLiteral("50"));
    EXPECT_EQ(label.text(), QStringLiteral("50"));
}

TEST_F(ClickCountLabelTest, AResetDuringABurstWins) {
    label.setText(QStringLiteral("7"));
    label.setText(QStringLiteral("8"));
    label.setText(QStringLiteral("0"));
    ASSERT_TRUE(settle(label));
    EXPECT_EQ(label.drawnText(), QStringLiteral("0"));
    EXPECT_EQ(label.text(), QStringLiteral("0"));
}

// A count is drawn at once, with no timer left running, when the last drawing is a frame old
// or nearly (a ten-a-second pace comes a little early now and then); sooner, it waits for the
// frame.
struct PaceCase {
    const char* name;
    int afterMs; // since the last drawing
    bool drawnAtOnce;
};

class ClickCountLabelPace : public ClickCountLabelTest,
                            public ::testing::WithParamInterface<PaceCase> {};

TEST_P(ClickCountLabelPace, ACountIsDrawnAtOnceOnlyAFrameAfterTheLast) {
    const PaceCase& c = GetParam();
    label.setText(QStringLiteral("1"));
    ASSERT_EQ(label.drawnText(), QStringLiteral("1"));
    QElapsedTimer since;
    since.start();
    while (since.elapsed() < c.afterMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);

    label.setText(QStringLiteral("2"));
    EXPECT_EQ(label.drawnText(), QString::fromLatin1(c.drawnAtOnce ? "2" : "1"));
    EXPECT_EQ(label.isCatchingUp(), !c.drawnAtOnce) << "a timer is left running";
    ASSERT_TRUE(settle(label));
    EXPECT_EQ(label.drawnText(), QStringLiteral("2"));
}

INSTANTIATE_TEST_SUITE_P(
    Pace, ClickCountLabelPace,
    ::testing::Values(PaceCase{"Immediately", 0, false},
                      PaceCase{"SlightlyEarly",
                               ClickCountLabel::kFrameMs - ClickCountLabel::kEarlyMs / 2, true},
                      PaceCase{"AFrameLater", ClickCountLabel::kFrameMs, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ClickCountLabelTest, TextIsNeverInterpreted) {
    label.setText(QStringLiteral("<b>5</b>"));
    EXPECT_EQ(label.textFormat(), Qt::PlainText);
    EXPECT_EQ(label.drawnText(), QStringLiteral("<b>5</b>"));
}

// Counts the paint events of the widgets it watches.
class PaintCounter : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            ++paints[watched];
        return false;
    }
    std::map<QObject*, int> paints;
};

TEST_F(ClickCountLabelTest, ANewCountRepaintsTheLabelAloneNotTheFrameBehindIt) {
    window.resize(200, 100);
    label.setGeometry(20, 20, 90, 17);
    window.show();
    ASSERT_TRUE(settle(label));
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    PaintCounter counter;
    window.installEventFilter(&counter);
    label.installEventFilter(&counter);

    for (const char* count : {"1", "2", "3"}) {
        label.setText(QString::fromLatin1(count));
        ASSERT_TRUE(settle(label));
    }
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    EXPECT_GE(counter.paints[&label], 2) << "the label did not draw its counts";
    EXPECT_EQ(counter.paints[&window], 0) << "each count repainted the window behind it";
}

} // namespace
} // namespace tivrel::test
