#include "platform/x11/X11WindowStacking.h"

#include <QEvent>
#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
// Xlib names an event type Expose; here Expose is Qt's event.
#undef Expose

namespace tivrel {

namespace {

const char* const kOnTopProperty = "tivrelOnTop";

// Qt's own X connection: a message sent there follows Qt's map request in order, so the
// window manager has taken the window over when the message reaches it.
Display* qtDisplay() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->display() : nullptr;
}

void sendAbove(QWidget& window, bool above) {
    Display* display = qtDisplay();
    if (!display || !window.isVisible())
        return;
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = Window(window.winId());
    event.xclient.message_type = XInternAtom(display, "_NET_WM_STATE", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = above ? 1 : 0; // _NET_WM_STATE_ADD or _REMOVE
    event.xclient.data.l[1] = long(XInternAtom(display, "_NET_WM_STATE_ABOVE", False));
    event.xclient.data.l[2] = 0;
    event.xclient.data.l[3] = 1; // from an ordinary application
    if (!XSendEvent(display, DefaultRootWindow(display), False,
                    SubstructureRedirectMask | SubstructureNotifyMask, &event))
        qWarning("Tivrel: the window manager could not be asked to change the stacking");
    XFlush(display);
}

// Sends the wanted placement again each time the window manager has mapped the window
// (the first expose after a show): only a managed window's state can be changed. An expose
// that arrives while the window is hidden is a late one of an earlier mapping (a minimized
// window is mapped once more as it is hidden) and must not use up the next show's.
class ExposeWatcher final : public QObject {
public:
    explicit ExposeWatcher(QWidget& window) : QObject(&window), m_window(window) {}

    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Hide) {
            m_exposed = false;
        } else if (event->type() == QEvent::Expose && !m_exposed && m_window.isVisible()) {
            QWindow* handle = m_window.windowHandle();
            if (handle && handle->isExposed()) {
                m_exposed = true;
                sendAbove(m_window, m_window.property(kOnTopProperty).toBool());
            }
        }
        return false;
    }

    void watch() {
        QWindow* handle = m_window.windowHandle();
        if (handle && handle != m_watched) {
            handle->installEventFilter(this);
            m_watched = handle;
        }
    }

private:
    QWidget& m_window;
    QWindow* m_watched = nullptr;
    bool m_exposed = false;
};

} // namespace

X11WindowStacking::X11WindowStacking() = default;
X11WindowStacking::~X11WindowStacking() = default;

void X11WindowStacking::setAbove(QWidget& window, bool above) {
    window.setProperty(kOnTopProperty, above);
    QPointer<QObject>& watcher = m_watchers[&window];
    if (!watcher) {
        auto* created = new ExposeWatcher(window);
        window.installEventFilter(created); // for Hide
        watcher = created;
    }
    window.winId(); // the handle to watch; a window not yet shown gets it now
    static_cast<ExposeWatcher*>(watcher.data())->watch();
    sendAbove(window, above);
}

void X11WindowStacking::makeOnTop(QWidget& window) {
    setAbove(window, true);
}

void X11WindowStacking::makeNotOnTop(QWidget& window) {
    setAbove(window, false);
}

} // namespace tivrel
