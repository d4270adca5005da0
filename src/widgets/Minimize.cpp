#include "widgets/Minimize.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

namespace tivrel {

namespace {

class MinimizeWatcher final : public QObject {
public:
    MinimizeWatcher(QWidget& window, std::function<void()> handler)
        : QObject(&window), m_window(window), m_handler(std::move(handler)) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &m_window && event->type() == QEvent::WindowStateChange &&
            m_window.isMinimized() && m_handler)
            m_handler();
        return false;
    }

private:
    QWidget& m_window;
    std::function<void()> m_handler;
};

} // namespace

void onMinimized(QWidget& window, std::function<void()> handler) {
    window.installEventFilter(new MinimizeWatcher(window, std::move(handler)));
}

bool minimizedForAnotherWindow(const QWidget& window) {
    const QWidget* modal = QApplication::activeModalWidget();
    return modal && modal != &window;
}

void restoreFromMinimized(QWidget& window) {
    // On X the new state maps the window again, which is how a client leaves the iconic state.
    if (window.isMinimized())
        window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
}

} // namespace tivrel
