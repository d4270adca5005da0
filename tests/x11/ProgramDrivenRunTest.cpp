// The way the benchmark drives the real program, held to what the user sees: the speed and the
// amount typed into the boxes the value labels open, ENTER with the pointer on a target, and a
// run exactly that many clicks long that ends with its message.
#include "ProgramFixture.h"
#include "RecorderWindow.h"

namespace tivrel::test {
namespace {

using namespace std::chrono_literals;

// Clear of the main window (centre of the screen) and of the tray (top right).
constexpr QRect kTargetPlace(40, 780, 240, 180);

struct DrivenRunCase {
    const char* name;
    int speedMs;
    int amount;
};

const DrivenRunCase kDrivenRuns[] = {
    {"FastestSpeed", 5, 4},
    // More than one digit in each box, and not the speed the window starts with.
    {"TwoDigitValues", 25, 12},
};

class ProgramDrivenRun : public ProgramTest, public ::testing::WithParamInterface<DrivenRunCase> {};

TEST_P(ProgramDrivenRun, ClicksTheAmountTypedOnTheTargetAndSaysSo) {
    const DrivenRunCase& c = GetParam();
    ASSERT_TRUE(home.writeAcceptedSettings(true));
    RecorderWindow target(kTargetPlace);
    ASSERT_TRUE(target.isOpen()) << target.error();
    ChildProcess* program = startProgram();
    ASSERT_TRUE(program) << qPrintable(lastFailure);
    ProgramDriver& driver = driverOf(*program);
    const std::optional<QRect> main = driver.placeMainWindow(&lastFailure);
    ASSERT_TRUE(main) << qPrintable(lastFailure);
    ASSERT_FALSE(main->intersects(kTargetPlace));
    ASSERT_TRUE(driver.waitForWindow(isTrayIcon)) << "no tray icon";

    ASSERT_TRUE(driver.setSpeed(c.speedMs, &lastFailure)) << qPrintable(lastFailure);
    ASSERT_TRUE(driver.setAmount(c.amount, &lastFailure)) << qPrintable(lastFailure);
    // Each click opened the box of its own row, which the range it asks for tells.
    const QString valueBox = QStringLiteral("Enter a Value");
    const std::vector<DialogLine> boxes{
        {QStringLiteral("input"), valueBox, QStringLiteral("Enter a value from 5 to 999")},
        {QStringLiteral("input"), valueBox, QStringLiteral("Enter a value from 1 to 30000")}};
    ASSERT_EQ(home.dialogs(), boxes);

    ASSERT_TRUE(driver.pressEnter(kTargetPlace.center(), &lastFailure)) << qPrintable(lastFailure);
    ASSERT_TRUE(driver.waitForDialogs(boxes.size() + 1, 60s)) << "the run did not end";
    const DialogLine stop = home.dialogs().back();
    EXPECT_TRUE(stop.text.startsWith(QStringLiteral("The required amount of clicks"))) << stop;
    // Every click the run made has landed by the time it says so; none came after.
    target.pump();
    EXPECT_EQ(target.pressCount(), std::size_t(c.amount));
}

INSTANTIATE_TEST_SUITE_P(Program, ProgramDrivenRun, ::testing::ValuesIn(kDrivenRuns),
                         [](const ::testing::TestParamInfo<DrivenRunCase>& info) {
                             return std::string(info.param.name);
                         });

} // namespace
} // namespace tivrel::test
