#include "platform/qt/QtTickSource.h"

namespace tivrel {

QtTickSource::QtTickSource() {
    m_timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_timer, &QTimer::timeout, [this] { deliverTick(); });
}

void QtTickSource::setInterval(int milliseconds) {
    // Like a running timer control, a new interval applies from the next enable on.
    m_interval = milliseconds;
}

int QtTickSource::interval() const {
    return m_interval;
}

void QtTickSource::setEnabled(bool enabled) {
    if (enabled == m_timer.isActive())
        return;
    if (enabled)
        m_timer.start(m_interval);
    else
        m_timer.stop();
}

bool QtTickSource::isEnabled() const {
    return m_timer.isActive();
}

} // namespace tivrel
