// A native Wayland window, which sway tiles over the whole output (elsewhere, with --full-screen,
// it asks to be full screen), that prints each button press and release it receives, with the
// button, one line each: "press 1", "release 4" (Qt's button values). "shown" comes first, once
// the window has been drawn over the whole output; "entered" each time the pointer comes onto
// it; "pointer 200 870" where the pointer moved to on it, in the window's own coordinates.
#include <QApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QWidget>

#include <cstdio>

namespace {

class Recorder final : public QWidget {
public:
    Recorder() { setMouseTracking(true); }

protected:
    // A first frame drawn before the compositor gave the window the output's size covers only
    // part of it, and clicks beside it reach nothing.
    void paintEvent(QPaintEvent*) override {
        if (!m_shown && screen() && size() == screen()->size()) {
            m_shown = true;
            say("shown");
        }
    }
    void enterEvent(QEnterEvent*) override { say("entered"); }
    // A second press soon after the first arrives as a double click; Qt's default handler
    // passes it on here as a press.
    void mousePressEvent(QMouseEvent* event) override { say("press", event->button()); }
    void mouseReleaseEvent(QMouseEvent* event) override { say("release", event->button()); }
    void mouseMoveEvent(QMouseEvent* event) override {
        const QPoint place = event->position().toPoint();
        std::printf("pointer %d %d\n", place.x(), place.y());
        std::fflush(stdout);
    }

private:
    static void say(const char* what, int button = -1) {
        if (button < 0)
            std::printf("%s\n", what);
        else
            std::printf("%s %d\n", what, button);
        std::fflush(stdout);
    }
    bool m_shown = false;
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    Recorder recorder;
    if (app.arguments().contains(QStringLiteral("--full-screen")))
        recorder.showFullScreen();
    else
        recorder.show();
    return app.exec();
}
