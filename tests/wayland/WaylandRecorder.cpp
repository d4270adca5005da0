// A native Wayland window, full screen, that prints each button press and release it receives,
// with the button, one line each: "press 1", "release 4" (Qt's button values). "shown" comes
// first, once the window has been drawn over the whole output; "entered" each time the pointer
// comes onto it, and "at x y" where the pointer goes on it.
#include <QApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QWidget>

#include <cstdio>

namespace {

class Recorder final : public QWidget {
protected:
    // A first frame drawn before the compositor gave the window the output's size covers only
    // part of it, and clicks beside it reach nothing.
    void paintEvent(QPaintEvent*) override {
        if (!m_shown && screen() && size() == screen()->size()) {
            m_shown = true;
            say("shown");
        }
    }
    // Not the place of the entry: Qt 6.4 on mutter reports a stale one there.
    void enterEvent(QEnterEvent*) override { say("entered"); }
    void mouseMoveEvent(QMouseEvent* event) override { sayPlace(event->position().toPoint()); }
    // A second press soon after the first arrives as a double click; Qt's default handler
    // passes it on here as a press.
    void mousePressEvent(QMouseEvent* event) override { say("press", event->button()); }
    void mouseReleaseEvent(QMouseEvent* event) override { say("release", event->button()); }

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
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    Recorder recorder;
    recorder.setMouseTracking(true);
    recorder.showFullScreen();
    return app.exec();
}
