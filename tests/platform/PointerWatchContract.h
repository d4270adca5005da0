#pragma once

// What every pointer watch must do, whatever the system: a run's watch sees a move made
// after its start and only then, the program's own clicks never count as one, and an
// earlier run's move is not held against the next. Each backend's tests give a rig
// (the watch, its system's mouse and a way to move the pointer from outside) and
// instantiate the table with TIVREL_POINTER_WATCH_CONTRACT.
#include "platform/Mouse.h"
#include "platform/PointerWatch.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tivrel::test {

class PointerWatchRig {
public:
    virtual ~PointerWatchRig() = default;
    virtual bool ready() const = 0;
    virtual PointerWatch& watch() = 0;
    virtual Mouse& mouse() = 0;
    // Puts the pointer there as the user or another program would; returns once the
    // system has it there.
    virtual void movePointer(int x, int y) = 0;
    // Returns once the system has delivered to the watch what it would of what came before.
    virtual void settle() = 0;
    // Whether the system reports motion as it happens, so that a move and straight back
    // between two looks is seen.
    virtual bool seesEveryMotion() const = 0;
};

enum class WatchStep {
    Begin,
    End,
    Move,      // 30 pixels right of the start place
    Back,      // to the start place
    OwnClicks, // 100 left clicks through the system's mouse
    ExpectMoved,
    ExpectStill,
};

struct PointerWatchCase {
    const char* name;
    std::vector<WatchStep> steps;
    bool needsEveryMotion = false;
};

inline const PointerWatchCase kPointerWatchCases[] = {
    {"StillWithoutAMove", {WatchStep::Begin, WatchStep::ExpectStill}},
    {"AMoveStaysSeen",
     {WatchStep::Begin, WatchStep::Move, WatchStep::ExpectMoved, WatchStep::Back,
      WatchStep::ExpectMoved}},
    {"AMoveAndStraightBack",
     {WatchStep::Begin, WatchStep::Move, WatchStep::Back, WatchStep::ExpectMoved},
     true},
    {"AMoveBeforeTheRun", {WatchStep::Move, WatchStep::Begin, WatchStep::ExpectStill}},
    {"TheLastRunsMoveUnread",
     {WatchStep::Begin, WatchStep::Move, WatchStep::End, WatchStep::Begin, WatchStep::ExpectStill}},
    {"OwnClicks", {WatchStep::Begin, WatchStep::OwnClicks, WatchStep::ExpectStill}},
    {"AMoveAfterOwnClicks",
     {WatchStep::Begin, WatchStep::OwnClicks, WatchStep::Move, WatchStep::ExpectMoved}},
};

inline std::string pointerWatchCaseName(const ::testing::TestParamInfo<PointerWatchCase>& info) {
    return info.param.name;
}

inline void runPointerWatchCase(PointerWatchRig& rig, const PointerWatchCase& c) {
    ASSERT_TRUE(rig.ready());
    if (c.needsEveryMotion && !rig.seesEveryMotion())
        GTEST_SKIP() << "this system tells of no motion between two looks";
    constexpr int kStartX = 600;
    constexpr int kStartY = 500;
    rig.movePointer(kStartX, kStartY);
    rig.settle();
    for (std::size_t i = 0; i < c.steps.size(); ++i) {
        SCOPED_TRACE(::testing::Message() << "step " << i);
        switch (c.steps[i]) {
        case WatchStep::Begin:
            rig.watch().begin();
            break;
        case WatchStep::End:
            rig.watch().end();
            break;
        case WatchStep::Move:
            rig.movePointer(kStartX + 30, kStartY);
            break;
        case WatchStep::Back:
            rig.movePointer(kStartX, kStartY);
            break;
        case WatchStep::OwnClicks:
            for (int n = 0; n < 100; ++n)
                rig.mouse().click(MouseButton::Left);
            break;
        case WatchStep::ExpectMoved:
            rig.settle();
            EXPECT_TRUE(rig.watch().moved()) << "a move went unseen";
            break;
        case WatchStep::ExpectStill:
            rig.settle();
            EXPECT_FALSE(rig.watch().moved()) << "the watch saw a move that was none of this run";
            break;
        }
    }
    rig.watch().end();
}

// The table as tests of one backend: `Rig` is default-constructible.
#define TIVREL_POINTER_WATCH_CONTRACT(Suite, Rig)                                                  \
    class Suite : public ::testing::TestWithParam<::tivrel::test::PointerWatchCase> {};            \
    TEST_P(Suite, KeepsTheContract) {                                                              \
        Rig rig;                                                                                   \
        ::tivrel::test::runPointerWatchCase(rig, GetParam());                                      \
    }                                                                                              \
    INSTANTIATE_TEST_SUITE_P(Contract, Suite,                                                      \
                             ::testing::ValuesIn(::tivrel::test::kPointerWatchCases),              \
                             ::tivrel::test::pointerWatchCaseName)

} // namespace tivrel::test
