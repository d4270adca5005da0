#include "platform/ThreadClickTimer.h"

#include "platform/TickSchedule.h"

#include <QMetaObject>

namespace tivrel {

ThreadClickTimer::ThreadClickTimer() = default;

ThreadClickTimer::~ThreadClickTimer() {
    // A derived class has stopped the thread already (shutDown); this only checks.
    Q_ASSERT(!m_thread.joinable());
}

void ThreadClickTimer::start(int intervalMs, Run work, std::function<void()> ended) {
    stop();
    m_work = std::move(work);
    m_ended = std::move(ended);
    m_stopping = false;
    m_running = true;
    clearWake();
    const std::uint64_t run = ++m_run;
    const std::int64_t interval = std::int64_t(intervalMs > 0 ? intervalMs : 1) * 1'000'000;
    m_thread = std::thread([this, interval, run] { loop(interval, run); });
}

void ThreadClickTimer::stop() {
    m_stopping = true;
    wake();
    if (m_thread.joinable())
        m_thread.join(); // a tick under way finishes first: none runs after this
    ++m_run;             // an `ended` already on its way belongs to a run that is over
    m_running = false;
}

void ThreadClickTimer::loop(std::int64_t interval, std::uint64_t run) {
    // The run's clock starts before the thread asks for its priority: where a service is
    // asked (a few milliseconds), the first click is not put off by the whole exchange.
    TickSchedule schedule(now(), interval);
    // Refused (no privilege, no real-time budget): the thread runs at normal priority. It
    // sleeps between ticks and does a bounded piece of work per tick either way.
    raisePriority();
    const auto endOfRun = [this, run] {
        QMetaObject::invokeMethod(
            &m_uiThread, [this, run] { endedByItself(run); }, Qt::QueuedConnection);
    };
    // A move that came before the thread first sleeps may already be read (and no longer
    // announced): a look first.
    if (m_work.look && !m_work.look())
        return endOfRun();
    while (!m_stopping) {
        const Wake wake = sleepUntil(schedule.nextTickAt());
        if (wake == Wake::Stopped || m_stopping)
            return;
        if (wake == Wake::PointerNews) {
            // A move stops the run now, however long until the next click.
            if (m_work.look && !m_work.look())
                return endOfRun();
            continue;
        }
        if (!m_work.tick())
            return endOfRun();
        // A tick counts from when it ends, its click taken by the system (Mouse returns only
        // then). A system that kept the click waiting has only just taken it: the next click
        // keeps half an interval from this one where the clicked program sees them, not only
        // on this thread's clock.
        schedule.ticked(now());
    }
}

void ThreadClickTimer::endedByItself(std::uint64_t run) {
    if (run != m_run)
        return; // stopped from the UI thread meanwhile
    if (m_thread.joinable())
        m_thread.join();
    m_running = false;
    if (m_ended)
        m_ended();
}

} // namespace tivrel
