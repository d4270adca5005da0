// tivrel-bench-reference: the least a clicker on absolute deadlines can be, for the benchmark
// to hold Tivrel against. One thread, its own X connection, the n-th click due at
// start + n x delay on CLOCK_MONOTONIC, a press and a release through XTEST per click, no
// window. It asks for the same scheduling class as Tivrel's click thread, so that the two
// differ only by what Tivrel does around its clicks. A program of its own, so that its start-up
// costs what a small X client's does, as xdotool's does.
//
//   tivrel-bench-reference DELAY_MS CLICKS

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <pthread.h>
#include <sched.h>

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s DELAY_MS CLICKS\n", argv[0]);
        return 2;
    }
    const std::int64_t intervalNs = std::int64_t(std::atoi(argv[1])) * 1000000;
    const long clicks = std::atol(argv[2]);
    Display* display = XOpenDisplay(nullptr);
    int event = 0, error = 0, major = 0, minor = 0;
    if (!display || !XTestQueryExtension(display, &event, &error, &major, &minor)) {
        std::fprintf(stderr, "reference: no X display with XTEST\n");
        return 2;
    }
    // The lowest real-time priority, as Tivrel's click thread asks; normal where refused.
    sched_param priority{};
    priority.sched_priority = sched_get_priority_min(SCHED_FIFO);
    if (pthread_setschedparam(pthread_self(), SCHED_FIFO, &priority) != 0)
        std::fprintf(stderr, "reference: normal priority\n");

    timespec start{};
    clock_gettime(CLOCK_MONOTONIC, &start);
    const std::int64_t startNs = std::int64_t(start.tv_sec) * 1000000000 + start.tv_nsec;
    for (long n = 0; n < clicks; ++n) {
        const std::int64_t due = startNs + n * intervalNs;
        const timespec at{time_t(due / 1000000000), long(due % 1000000000)};
        while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &at, nullptr) == EINTR) {
        }
        XTestFakeButtonEvent(display, 1, True, CurrentTime);
        XTestFakeButtonEvent(display, 1, False, CurrentTime);
        XFlush(display);
    }
    XSync(display, False);
    XCloseDisplay(display);
    return 0;
}
