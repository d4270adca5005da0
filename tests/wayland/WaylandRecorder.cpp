// A native Wayland window over the whole output, that prints each button press and release it
// receives, with the button, one line each: "press 1", "release 4" (Qt's button values). "shown"
// comes first, once the window has been drawn over the whole output; "entered" each time the
// pointer comes onto it, and "at x y" where the pointer goes on it; "focused" and "unfocused" as
// it gets and loses the keyboard, and "key K" (Qt's key value) for each key it gets.
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QWidget>

#include <cstdio>
#include <cstring>
#include <ctime>

#include <sched.h>

namespace {

class Recorder final : public QWidget {
protected:
    // A first frame drawn before the compositor gave the window the output's size covers only
    // part of it, and clicks beside it reach nothing.
    void paintEvent(QPaintEvent*) override {
        if (m_busy) {
            // A window that draws anew every frame, as a video would.
            QPainter(this).fillRect(rect(), QColor::fromHsv(m_frame++ % 360, 200, 200));
            update();
        }
        if (!m_shown && screen() && size() == screen()->size()) {
            m_shown = true;
            say("shown");
        }
    }
    // Not the place of the entry: Qt 6.4 on mutter reports a stale one there.
    void enterEvent(QEnterEvent*) override { say("entered"); }
    void mouseMoveEvent(QMouseEvent* event) override { sayPlace(event->position().toPoint()); }
    // A second press soon after the first arrives as a double click; Qt's default handler
    // passes it on here as a press. Its time is read before anything is written: a write
    // wakes the reader of the lines.
    void mousePressEvent(QMouseEvent* event) override {
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        say("press", event->button());
        if (m_times) {
            std::printf("time %lld\n", (long long)now.tv_sec * 1000000 + now.tv_nsec / 1000);
            std::fflush(stdout);
        }
    }
    void mouseReleaseEvent(QMouseEvent* event) override { say("release", event->button()); }
    void keyPressEvent(QKeyEvent* event) override { say("key", event->key()); }
    void changeEvent(QEvent* event) override {
        if (event->type() == QEvent::ActivationChange)
            say(isActiveWindow() ? "focused" : "unfocused");
    }

private:
    static void sayPlace(QPoint at) {
        std::printf("at %d %d\n", at.x(), at.y());
        std::fflush(stdout);
    }
    static void say(const char* what, int button = -1) {
        if (button < 0)
            std::printf("%s\n", what);
        else
            std::printf("%s %d\n", what, button);
        std::fflush(stdout);
    }
    bool m_shown = false;
    int m_frame = 0;

public:
    bool m_busy = false;
    bool m_times = false;
};

// "--times" makes the recorder the benchmark's instrument: every thread of it runs at SCHED_FIFO
// 10, as the X benchmark's XRecord listener does, so that a press time shows when the
// compositor delivered the press and not how long this process waited for a processor. It says
// "real-time" or "normal priority" first (only root may raise it).
bool timesPresses(int argc, char** argv) {
    bool times = false;
    for (int i = 1; i < argc; ++i)
        times = times || std::strcmp(argv[i], "--times") == 0;
    if (times) {
        sched_param priority{};
        priority.sched_priority = 10;
        std::printf("%s\n", sched_setscheduler(0, SCHED_FIFO, &priority) == 0 ? "real-time"
                                                                              : "normal priority");
        std::fflush(stdout);
    }
    return times;
}

} // namespace

int main(int argc, char** argv) {
    const bool times = timesPresses(argc, argv);
    QApplication app(argc, argv);
    Recorder recorder;
    recorder.setMouseTracking(true);
    recorder.setFocusPolicy(Qt::StrongFocus);
    // "--busy": the window draws anew every frame (for the compositor's cost with a screen
    // cast).
    recorder.m_busy = app.arguments().contains(QStringLiteral("--busy"));
    // "--times": each press followed by "time <microseconds>" on the monotonic clock, which
    // the benchmark shares.
    recorder.m_times = times;
    // Sway tiles a lone window over the output; mutter is asked to ("--fullscreen": a
    // maximized window there keeps its title bar).
    if (app.arguments().contains(QStringLiteral("--fullscreen")))
        recorder.showFullScreen();
    else
        recorder.show();
    return app.exec();
}
