// The click thread runs in a real-time class wherever the system grants one: the kernel for a
// privileged user, RealtimeKit on the system bus for everyone else, as on a desktop. Where
// neither grants it, the run clicks all the same at normal priority.
#include "SystemBus.h"
#include "fakes/Unprivileged.h"
#include "platform/linux/DeadlineClickTimer.h"

#include <gtest/gtest.h>

#include <linux/capability.h>
#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <optional>

namespace tivrel::test {
namespace {

// What a run showed of its click thread: how many ticks it made, in which class, and the
// process's limit on real-time CPU time afterwards.
struct Observed {
    int ticks = 0;
    int policy = -1;
    int priority = -1;
    rlim_t timeLimitUs = 0;
};

// Runs three ticks as an ordinary user's program does, or as one the kernel lets raise its
// own threads. In a child process: a lowered hard limit is for good (this root may lack
// CAP_SYS_RESOURCE), and the child takes it away with it.
std::optional<Observed> runThreeTicks(bool kernelGrants, rlim_t presetTimeLimitUs) {
    const std::optional<QString> answer = runInChild([&] {
        // Nor may the program raise itself by its limit on real-time priority.
        const rlimit noPriority{0, 0};
        const rlimit preset{presetTimeLimitUs, presetTimeLimitUs};
        if (::setrlimit(RLIMIT_RTPRIO, &noPriority) != 0 ||
            ::setrlimit(RLIMIT_RTTIME, &preset) != 0)
            ::_exit(3);
        if (!kernelGrants) {
            // CAP_SYS_NICE out of this thread's set: the click thread is born without it.
            __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
            __user_cap_data_struct caps[2]{};
            if (::syscall(SYS_capget, &header, caps) != 0)
                ::_exit(4);
            caps[CAP_TO_INDEX(CAP_SYS_NICE)].effective &= ~CAP_TO_MASK(CAP_SYS_NICE);
            caps[CAP_TO_INDEX(CAP_SYS_NICE)].permitted &= ~CAP_TO_MASK(CAP_SYS_NICE);
            if (::syscall(SYS_capset, &header, caps) != 0)
                ::_exit(4);
        }
        std::atomic<int> ticks = 0;
        std::atomic<int> policy = -1;
        std::atomic<int> priority = -1;
        {
            DeadlineClickTimer timer;
            timer.start(5,
                        {.tick =
                             [&] {
                                 int p = 0;
                                 sched_param param{};
                                 ::pthread_getschedparam(::pthread_self(), &p, &param);
                                 policy = p & ~SCHED_RESET_ON_FORK;
                                 priority = param.sched_priority;
                                 ++ticks;
                                 return true;
                             }},
                        [] {});
            for (int waited = 0; ticks < 3 && waited < 10'000; waited += 5)
                ::usleep(5'000);
            timer.stop();
        }
        rlimit limit{};
        ::getrlimit(RLIMIT_RTTIME, &limit);
        return QStringLiteral("%1 %2 %3 %4")
            .arg(ticks.load())
            .arg(policy.load())
            .arg(priority.load())
            .arg(qulonglong(limit.rlim_max));
    });
    if (!answer)
        return std::nullopt;
    const QStringList seen = answer->split(QLatin1Char(' '));
    if (seen.size() != 4)
        return std::nullopt;
    return Observed{seen[0].toInt(), seen[1].toInt(), seen[2].toInt(),
                    rlim_t(seen[3].toULongLong())};
}

enum class Bus { None, Silent, Up };

struct PriorityCase {
    const char* name;
    bool kernelGrants; // the program may raise its own threads (CAP_SYS_NICE)
    Bus bus;
    bool polkit, realtimeKit;
    rlim_t presetTimeLimitUs; // the process's RLIMIT_RTTIME before the run
    int policy;               // the click thread's class during the run
    rlim_t timeLimitUs;       // RLIMIT_RTTIME (hard) after the run
};

constexpr rlim_t kNone = RLIM_INFINITY;
constexpr rlim_t kServiceMax = 200'000; // what RealtimeKit allows unless told otherwise

class ClickThreadPriorityTest : public ::testing::TestWithParam<PriorityCase> {};

TEST_P(ClickThreadPriorityTest, RaisedWhereGrantedClicksEitherWay) {
    const PriorityCase& c = GetParam();
    if (::geteuid() != 0)
        GTEST_SKIP() << "the system bus's services need root to start";
    SystemBus system;
    QString error;
    ASSERT_TRUE(c.bus != Bus::Up || system.startBus(&error)) << qPrintable(error);
    ASSERT_TRUE(c.bus != Bus::Silent || system.startSilentBus(&error)) << qPrintable(error);
    ASSERT_TRUE(!c.polkit || system.startPolkit(&error)) << qPrintable(error);
    ASSERT_TRUE(!c.realtimeKit || system.startRealtimeKit(&error)) << qPrintable(error);

    const std::optional<Observed> seen = runThreeTicks(c.kernelGrants, c.presetTimeLimitUs);
    ASSERT_TRUE(seen) << "the run's child process failed, or hung and was killed";
    EXPECT_GE(seen->ticks, 3);
    EXPECT_EQ(seen->policy, c.policy);
    EXPECT_EQ(seen->priority, c.policy == SCHED_OTHER ? 0 : 1);
    EXPECT_EQ(seen->timeLimitUs, c.timeLimitUs);
}

INSTANTIATE_TEST_SUITE_P(
    Systems, ClickThreadPriorityTest,
    ::testing::Values(
        // RealtimeKit is not asked, and the process's limit stays as it was.
        PriorityCase{"KernelGrantsIt", true, Bus::Up, true, true, kNone, SCHED_FIFO, kNone},
        PriorityCase{"RealtimeKitGrantsIt", false, Bus::Up, true, true, kNone, SCHED_RR,
                     kServiceMax},
        PriorityCase{"RealtimeKitKeepsALowerLimit", false, Bus::Up, true, true, 50'000, SCHED_RR,
                     50'000},
        // RealtimeKit asks polkit whether to grant it; without an answer it refuses.
        PriorityCase{"RealtimeKitRefuses", false, Bus::Up, false, true, kNone, SCHED_OTHER,
                     kServiceMax},
        PriorityCase{"NoRealtimeKit", false, Bus::Up, true, false, kNone, SCHED_OTHER, kNone},
        PriorityCase{"NoSystemBus", false, Bus::None, false, false, kNone, SCHED_OTHER, kNone},
        // Given up after half a second, and the run clicks on: it does not wait for the bus.
        PriorityCase{"SystemBusHangs", false, Bus::Silent, false, false, kNone, SCHED_OTHER,
                     kNone}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace tivrel::test
